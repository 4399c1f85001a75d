# The installer: `cmake --build --preset win32 --target msi` writes
# Halvane2023-<version>.msi beside the program (packaging/build-msi, with
# wixl and msibuild from msitools). For the installer's tests, two more
# packages of the same program: a later release and an earlier one.

set(HALVANE_PAYLOAD_DIR "" CACHE PATH
  "Folder holding Halvane.dwt, 'Plot Styles/Hv_*.ctb' and 'Plot Styles/released.sha256' for the installer; empty for the sample stand-ins")
if(HALVANE_PAYLOAD_DIR)
  set(HALVANE_PAYLOAD ${HALVANE_PAYLOAD_DIR})
  message(STATUS "Installer payload: ${HALVANE_PAYLOAD}")
else()
  set(HALVANE_PAYLOAD ${CMAKE_SOURCE_DIR}/packaging/sample-payload)
  message(STATUS "Installer payload: the sample stand-ins in packaging/sample-payload "
                 "(set HALVANE_PAYLOAD_DIR for the add-on's own files)")
endif()

find_program(WIXL wixl)
find_program(MSIBUILD msibuild)

# halvane_package(TARGET VERSION PAYLOAD OUTPUT [TEST]): a package of the
# program just built; a TEST package is never signed and says nothing of it.
function(halvane_package target version payload output)
  set(launcher)
  if(ARGN STREQUAL "TEST")
    set(launcher ${CMAKE_COMMAND} -E env --unset=HALVANE_SIGN_PFX HALVANE_TEST_PACKAGE=1)
  endif()
  set(payload_files
    "${payload}/Halvane.dwt"
    "${payload}/Plot Styles/Hv_color.ctb"
    "${payload}/Plot Styles/Hv_mono.ctb"
    "${payload}/Plot Styles/Hv_mono2.ctb"
    "${payload}/Plot Styles/released.sha256")
  # The users' guide and its pictures go into every package.
  file(GLOB guide_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/users-guide/*)
  add_custom_command(OUTPUT ${output}
    COMMAND ${launcher} ${CMAKE_SOURCE_DIR}/packaging/build-msi ${version} $<TARGET_FILE:Halvane2023>
            ${payload} ${output}
    DEPENDS Halvane2023 ${CMAKE_SOURCE_DIR}/packaging/build-msi
            ${CMAKE_SOURCE_DIR}/packaging/Halvane2023.wxs ${payload_files} ${guide_files}
    COMMENT "Packaging Halvane 2023 ${version}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${output})
endfunction()

set(HALVANE_MSI ${CMAKE_BINARY_DIR}/Halvane2023-${HALVANE_VERSION}.msi)
if(NOT WIXL OR NOT MSIBUILD)
  add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -E echo "The installer needs wixl and msibuild (msitools)."
    COMMAND ${CMAKE_COMMAND} -E false)
  return()
endif()
halvane_package(msi ${HALVANE_VERSION} ${HALVANE_PAYLOAD} ${HALVANE_MSI})

# A later release (the third field up: Windows Installer ignores the fourth)
# whose template differs, and an earlier one.
math(EXPR later_patch "${PROJECT_VERSION_PATCH} + 1")
set(HALVANE_VERSION_LATER ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${later_patch}.0)
if(PROJECT_VERSION_PATCH GREATER 0)
  math(EXPR earlier_patch "${PROJECT_VERSION_PATCH} - 1")
  set(HALVANE_VERSION_EARLIER ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${earlier_patch}.0)
elseif(PROJECT_VERSION_MINOR GREATER 0)
  math(EXPR earlier_minor "${PROJECT_VERSION_MINOR} - 1")
  set(HALVANE_VERSION_EARLIER ${PROJECT_VERSION_MAJOR}.${earlier_minor}.0.0)
else()
  math(EXPR earlier_major "${PROJECT_VERSION_MAJOR} - 1")
  set(HALVANE_VERSION_EARLIER ${earlier_major}.0.0.0)
endif()
set(later_payload ${CMAKE_BINARY_DIR}/installer-tests/later-payload)
file(COPY "${CMAKE_SOURCE_DIR}/packaging/sample-payload/Plot Styles" DESTINATION ${later_payload})
# Written only when it differs, so a new configure does not repackage.
file(WRITE ${later_payload}/Halvane.dwt.new "Halvane stand-in drawing template, a later release\n")
configure_file(${later_payload}/Halvane.dwt.new ${later_payload}/Halvane.dwt COPYONLY)
set(HALVANE_MSI_LATER ${CMAKE_BINARY_DIR}/installer-tests/Halvane2023-${HALVANE_VERSION_LATER}.msi)
set(HALVANE_MSI_EARLIER
  ${CMAKE_BINARY_DIR}/installer-tests/Halvane2023-${HALVANE_VERSION_EARLIER}.msi)
halvane_package(msi-later ${HALVANE_VERSION_LATER} ${later_payload} ${HALVANE_MSI_LATER} TEST)
halvane_package(msi-earlier ${HALVANE_VERSION_EARLIER} ${CMAKE_SOURCE_DIR}/packaging/sample-payload
                ${HALVANE_MSI_EARLIER} TEST)

# The installed program under Wine, in a prefix of its own (scripts/test).
add_executable(installer_tests
  tests/installer/InstallerTest.cpp
  tests/installer/Installation.cpp
  tests/win32/Scenario.cpp
  tests/win32/TestFiles.cpp
)
target_include_directories(installer_tests PRIVATE ${CMAKE_SOURCE_DIR})
# msi.dll by its flag: "msi" is the name of the package target.
target_link_libraries(installer_tests PRIVATE guarded_main $<IF:$<CXX_COMPILER_ID:MSVC>,msi.lib,-lmsi>
                      ole32 uuid shell32 advapi32 user32 gdi32)
# A 64-bit build of this program serves only to show that it refuses a
# machine not marked disposable (tests/scripts/guard-test): no packages.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_dependencies(installer_tests msi msi-later msi-earlier acad)
endif()
add_test(NAME installer_tests COMMAND installer_tests)
set_tests_properties(installer_tests PROPERTIES
  LABELS installer
  RUN_SERIAL TRUE
  ENVIRONMENT "HALVANE_MSI=Z:${HALVANE_MSI};HALVANE_MSI_LATER=Z:${HALVANE_MSI_LATER};HALVANE_MSI_EARLIER=Z:${HALVANE_MSI_EARLIER};HALVANE_VERSION=${HALVANE_VERSION};HALVANE_VERSION_LATER=${HALVANE_VERSION_LATER};HALVANE_STANDIN=Z:${CMAKE_BINARY_DIR}/acad.exe;HALVANE_SCREENSHOTS=Z:${CMAKE_SOURCE_DIR}/build/screenshots")

# The package as users open it and administrators deploy it, without the
# launcher: its setup window and the administrator's folder. Run after the
# installer's tests, in the same prefix, which both leave without the product.
add_executable(setup_tests
  tests/installer/SetupTest.cpp
  tests/installer/Installation.cpp
  tests/win32/Scenario.cpp
  tests/win32/TestFiles.cpp
)
target_include_directories(setup_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(setup_tests PRIVATE guarded_main ole32 uuid shell32 advapi32 user32 gdi32)
# A 64-bit build of these tests (scripts/test, on a machine that cannot start
# 32-bit programs) opens the 32-bit build's package.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_dependencies(setup_tests msi)
endif()
add_test(NAME setup_tests COMMAND setup_tests)
set_tests_properties(setup_tests PROPERTIES
  LABELS installer
  RUN_SERIAL TRUE
  DEPENDS installer_tests
  ENVIRONMENT "HALVANE_MSI=Z:${HALVANE_MSI};HALVANE_SCREENSHOTS=Z:${CMAKE_SOURCE_DIR}/build/screenshots")

# What each test program needs, for tests/windows/run-tests.cmd in Windows
# Sandbox, where this build folder is C:\halvane\build.
string(REPLACE "${CMAKE_BINARY_DIR}/" "" later_msi_below "${HALVANE_MSI_LATER}")
string(REPLACE "${CMAKE_BINARY_DIR}/" "" earlier_msi_below "${HALVANE_MSI_EARLIER}")
string(REPLACE "/" "\\" later_msi_below "${later_msi_below}")
string(REPLACE "/" "\\" earlier_msi_below "${earlier_msi_below}")
file(WRITE ${CMAKE_BINARY_DIR}/sandbox-env.cmd
  "set HALVANE_EXE=%B%\\Halvane2023.exe\r\n"
  "set HALVANE_STANDIN=%B%\\acad.exe\r\n"
  "set HALVANE_MSI=%B%\\Halvane2023-${HALVANE_VERSION}.msi\r\n"
  "set HALVANE_MSI_LATER=%B%\\${later_msi_below}\r\n"
  "set HALVANE_MSI_EARLIER=%B%\\${earlier_msi_below}\r\n"
  "set HALVANE_VERSION=${HALVANE_VERSION}\r\n"
  "set HALVANE_VERSION_LATER=${HALVANE_VERSION_LATER}\r\n")
