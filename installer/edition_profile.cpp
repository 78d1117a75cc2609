#include "installer/edition_profile.h"

#include <array>

namespace ov {
namespace {

EditionProfile Row(int selector, const char* title, const char* exe, const char* subfolder,
                   const char* folder, LicenceKind licence, PanelRgb colour) {
  return EditionProfile{
      selector, title, exe, subfolder, std::string(folder) + "\\", "DBOVILAR_KOVRA.FDB",
      licence,  colour};
}

const std::array<EditionProfile, 7>& Table() {
  static const std::array<EditionProfile, 7> table{
      Row(-1, "Sistema OVILAR COM\u00c9RCIO\r\n Para Representantes", "Ovilar.exe",
          "Representante/", "Ovilar", LicenceKind::Free, kPanelRed),
      Row(0, "Emissor Gratuito de \r\nNota Fiscal Eletr\u00f4nica", "Ovilar.NotaFiscal.exe", "NFe/",
          "Ovilar", LicenceKind::Free, kPanelGreen),
      Row(1, "Demonstrativo \r\nOvilar", "Ovilar.exe", "Ovilar/", "Ovilar_Completo",
          LicenceKind::Demo, kPanelRed),
      Row(2, "Demonstrativo \r\nOvilar - Ind\u00fastria", "Ovilar.exe", "Ovilar.Ind/",
          "Ovilar_Industria", LicenceKind::Demo, kPanelRed),
      Row(3, "Demonstrativo \r\nOvilar - Conserto", "Ovilar.exe", "Ovilar.Conserto/",
          "Ovilar_Conserto", LicenceKind::Demo, kPanelRed),
      Row(4, "Demonstrativo \r\nOvilar - Auto Center", "Ovilar.exe", "Ovilar.AC/",
          "Ovilar_Auto_Center", LicenceKind::Demo, kPanelRed),
      Row(5, "Demonstrativo \r\nOvilar - Com\u00e9rcio", "Ovilar.exe", "Ovilar.COM/",
          "Ovilar_Comercio", LicenceKind::Demo, kPanelRed),
  };
  return table;
}

}  // namespace

std::span<const EditionProfile> EditionTable() { return Table(); }

std::optional<EditionProfile> FindEditionProfile(int selector) {
  for (const EditionProfile& row : Table()) {
    if (row.Selector == selector) return row;
  }
  return std::nullopt;
}

EditionProfile EditionProfileOrBlank(int selector) {
  if (auto row = FindEditionProfile(selector)) return *row;
  EditionProfile blank;
  blank.Selector = selector;
  return blank;
}

}  // namespace ov
