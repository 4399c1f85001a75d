#include "platform/Application.h"

namespace halvane {

std::u16string ErrorReportText(std::u16string_view message) {
  std::u16string text(message);
  if (!text.empty() && text.back() > u'.')
    text.push_back(u'.');
  return text;
}

std::u16string WindowCreationFailedText(std::uint32_t error) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + error % 10));
    error /= 10;
  } while (error != 0);
  return u"ウィンドウを作成できません (" + digits + u")";
}

}  // namespace halvane
