// Finding acad.exe: the default folders, Autodesk's registry entries, and the
// user's own pick.
#include "launcher/Form1.h"

namespace halvane {
namespace {

// An HRESULT as Windows writes it: eight upper-case hex digits.
std::u16string Hex8(std::uint32_t value) {
  std::u16string digits(8, u'0');
  for (int i = 7; i >= 0; --i, value >>= 4)
    digits[i] = u"0123456789ABCDEF"[value & 0xF];
  return digits;
}

}  // namespace

void TForm1::Discover() {
  if (ACADLocation.empty() && p_.files.FileExists(kDefaultAcad1))
    ACADLocation = kDefaultAcad1;
  if (ACADLocation.empty() && p_.files.FileExists(kDefaultAcad2))
    ACADLocation = kDefaultAcad2;
  if (ACADLocation.empty())
    GetACADPath();
  if (ACADLocation.empty())
    GetACADPath2();
}

// AutoCAD 2023 is a 64-bit program and registers its location in the 64-bit
// view of HKEY_LOCAL_MACHINE, which a 32-bit process does not see by default.
void TForm1::GetACADPath() {
  LookUp(kAutodeskReleaseKey, kKeyWow64_64Key);
}

void TForm1::GetACADPath2() {
  LookUp(kAutodeskReleaseKey2, 0);
}

void TForm1::LookUp(std::u16string_view release_key, std::uint32_t machine_view) {
  ACADLocation.clear();
  RegACADVer.clear();
  std::u16string folder;
  {
    // AutoCAD's keys are only read: a key the user may only read opens.
    TRegistry user(p_.registry);
    if (user.OpenKeyReadOnly(release_key)) {
      RegACADVer = user.ReadString(u"CurVer");
      user.CloseKey();
    }
  }
  {
    TRegistry machine(p_.registry, machine_view);
    machine.SetRootKey(RootKey::LocalMachine);
    // AutoCAD's installation writes the machine's key; the user's own
    // appears only with the user's first start of AutoCAD.
    if (RegACADVer.empty() && machine.OpenKeyReadOnly(release_key)) {
      RegACADVer = machine.ReadString(u"CurVer");
      machine.CloseKey();
    }
    if (!RegACADVer.empty() &&
        machine.OpenKeyReadOnly(std::u16string(release_key) + u"\\" + RegACADVer)) {
      folder = machine.ReadString(u"AcadLocation");
      machine.CloseKey();
    }
  }
  // No folder, no probe: "\acad.exe" alone names a file at the root of the
  // current drive, which need not be AutoCAD at all.
  if (folder.empty())
    return;
  const std::u16string probe = folder + u"\\acad.exe";
  if (p_.files.FileExists(probe)) {
    ACADLocation = probe;
    view_.SetEdit4Text(ACADLocation);
  }
}

void TForm1::Button2Click() {
  // While AutoCAD runs (the window came back through the icon), the path
  // it was started from stays what it is.
  if (phase_ == LaunchPhase::kWaitingForAutoCad)
    return;
  const OpenDialogResult result = view_.ExecuteOpenDialog1();
  if (result.failure != 0) {
    // The search did nothing at all, every time: the user is told why.
    p_.app.ShowError(std::u16string(kOpenDialogFailed) + Hex8(result.failure) + u")");
    return;
  }
  const std::optional<std::u16string>& chosen = result.path;
  if (!chosen || !p_.files.FileExists(*chosen))
    return;
  std::u16string folder = ExtractFilePath(*chosen);
  if (folder.empty())
    return;  // not a full path: there is no folder to take
  folder.pop_back();
  ACADLocation = folder + u"\\acad.exe";
  view_.SetEdit4Text(ACADLocation);
  view_.SetEnabled(ViewControl::kButton1, true);
  view_.SetEnabled(ViewControl::kButton3, false);
  WriteAcadPath();
}

}  // namespace halvane
