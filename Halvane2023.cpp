// Halvane 2023's launcher: finds AutoCAD 2023, records it, installs the
// add-on's plot styles, starts AutoCAD and ends when AutoCAD ends.
#include <windows.h>

#include "launcher/Form1.h"
#include "platform/EventDispatch.h"
#include "platform/win32/BenchMarks.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Application.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "ui/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // What COM, the file dialog and the visual styles load later comes from the
  // system folder only, never from the working folder or beside the program.
  halvane::win32::bench::Record("entry");
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  halvane::win32::ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  halvane::win32::bench::Record("com");

  halvane::win32::Win32Application app(instance);
  // Without its windows the launcher can do nothing: it says why and ends
  // with the error's code.
  const auto cannot_start = [&app](DWORD error) {
    app.ShowError(halvane::WindowCreationFailedText(error));
    ExitProcess(error);
  };
  if (app.CreationError() != 0)
    cannot_start(app.CreationError());
  halvane::win32::Win32Registry registry;
  halvane::win32::Win32FileSystem files;
  halvane::win32::Win32Shell shell;

  halvane::win32::bench::Record("application");
  halvane::ui::MainWindow window(instance, app, shell, com.Result());
  if (window.CreationError() != 0)
    cannot_start(window.CreationError());
  halvane::TForm1 form(halvane::Platform{registry, files, shell, app}, window);
  window.Attach(form);
  halvane::win32::bench::Record("window");
  halvane::Dispatch(app, [&] { form.FormCreate(); });
  app.Run();
  halvane::win32::bench::Record("exit");
  halvane::win32::bench::Write();
  // The icon is gone and nothing is left to save: windows, fonts and COM are
  // the system's to release at exit, without tearing them down one by one.
  ExitProcess(0);
}
