// TNonVisualComponent: base of components placed on a window that show nothing themselves.
// Its only property, About, is for design-time display and carries no behaviour.
#pragma once

#include <cstdint>

namespace ov {

enum TAboutInfo : std::uint8_t { aiAbout = 0 };

class TNonVisualComponent {
 public:
  TNonVisualComponent() = default;
  virtual ~TNonVisualComponent() = default;
  TNonVisualComponent(const TNonVisualComponent&) = delete;
  TNonVisualComponent& operator=(const TNonVisualComponent&) = delete;

  TAboutInfo About() const { return fsAbout; }
  void SetAbout(TAboutInfo value) { fsAbout = value; }

 private:
  TAboutInfo fsAbout = aiAbout;
};

}  // namespace ov
