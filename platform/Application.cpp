#include "platform/Application.h"

namespace halvane {

std::u16string ErrorReportText(std::u16string_view message) {
  std::u16string text(message);
  if (!text.empty() && text.back() > u'.')
    text.push_back(u'.');
  return text;
}

std::u16string Decimal(std::uint32_t value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::u16string WindowCreationFailedText(std::uint32_t error) {
  return u"ウィンドウを作成できません (" + Decimal(error) + u")";
}

std::u16string Application::FromSystemCodePage(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (const char c : text)
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return wide;
}

}  // namespace halvane
