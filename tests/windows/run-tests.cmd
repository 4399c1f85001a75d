@echo off
rem Runs the Windows tests inside Windows Sandbox (halvane-tests.wsb): marks
rem the sandbox as a machine the tests may wipe, then runs each test program
rem with what the build gives it (sandbox-env.cmd, written by the build).
rem It refuses to run anywhere else: the mark on a workstation would let the
rem tests delete its AutoCAD.
setlocal
if /i not "%USERNAME%"=="WDAGUtilityAccount" (
  echo run-tests.cmd runs only inside Windows Sandbox: open halvane-tests.wsb.
  exit /b 1
)
set B=C:\halvane\build
set OUT=%USERPROFILE%\Desktop\halvane-results
if not exist "%B%\sandbox-env.cmd" (
  echo %B%\sandbox-env.cmd is missing: build the win32 preset first.
  exit /b 1
)
reg add "HKLM\SOFTWARE\Fenwright\Halvane2023 Test Machine" /v Disposable /t REG_SZ /d "Halvane2023's tests may delete AutoCAD's data on this machine" /reg:64 /f >nul || exit /b 1
mkdir "%OUT%" 2>nul
call "%B%\sandbox-env.cmd"
set HALVANE_SCREENSHOTS=%OUT%\screenshots
set FAILED=0
for %%t in (win32_tests e2e_tests installer_tests setup_tests) do (
  echo == %%t
  pushd "%OUT%"
  "%B%\%%t.exe" --gtest_output=xml:"%OUT%\%%t.xml" > "%OUT%\%%t.log" 2>&1 || set FAILED=1
  popd
  findstr /c:"[  PASSED  ]" /c:"[  FAILED  ]" "%OUT%\%%t.log"
)
if "%FAILED%"=="1" (echo Some tests failed: see %OUT%.) else (echo Every test passed.)
exit /b %FAILED%
