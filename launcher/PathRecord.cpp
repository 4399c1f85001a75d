// Recording the path of acad.exe, and installing the add-on's plot styles.
#include "launcher/Form1.h"

namespace halvane {

void TForm1::WriteAcadPath() {
  {
    TRegistry reg(p_.registry);
    if (reg.OpenKey(kLauncherKey, true)) {
      reg.WriteString(u"LibPath", HALVdir0);
      reg.WriteString(u"AcadPath", ACADLocation);
    }
    reg.CloseKey();
  }

  // AutoCAD's own acad.ctb marks its plot-style folder.
  if (!p_.files.FileExists(ACADFolder2 + u"\\acad.ctb")) {
    const std::u16string app_data = p_.files.SpecialFolderPath(kCsidlAppData);
    if (!app_data.empty()) {
      for (const std::u16string_view below :
           {kPlotStylesBelowAppData, kPlotStylesBelowAppData2023}) {
        const std::u16string candidate = app_data + std::u16string(below);
        if (p_.files.FileExists(candidate + u"\\acad.ctb")) {
          ACADFolder2 = candidate;
          break;
        }
      }
    }
  }

  if (ACADFolder2.empty() || !p_.files.FileExists(ACADFolder2 + u"\\acad.ctb") ||
      !p_.files.FileExists(HALVdir2 + u"\\Plot Styles\\Hv_mono.ctb")) {
    return;
  }
  // Existing tables are the user's: never replaced. Failures change nothing
  // for the launch, so they are not looked at.
  for (const std::u16string_view table : {u"Hv_color.ctb", u"Hv_mono.ctb", u"Hv_mono2.ctb"}) {
    p_.files.Copy(HALVdir2 + u"\\Plot Styles\\" + std::u16string(table),
                  ACADFolder2 + u"\\" + std::u16string(table), true);
  }
}

}  // namespace halvane
