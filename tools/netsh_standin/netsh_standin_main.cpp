// netsh.exe stand-in: records its command line in "stand-in-calls.log" beside itself; exit 0.
#include "tools/rar_standin/standin_log.h"

int main() {
  ov::standin::RecordCall(L"netsh");
  return 0;
}
