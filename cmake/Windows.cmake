# The Windows program, its test programs, and the stand-in AutoCAD.
enable_language(RC)
# Windows 10, the oldest system AutoCAD 2023 runs on.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0A00 WINVER=0x0A00 NTDDI_VERSION=0x0A000000)

set(WIN32_SOURCES
  platform/win32/Win32Registry.cpp
  platform/win32/Win32Files.cpp
  platform/win32/Sha256File.cpp
  platform/win32/Win32Shell.cpp
  platform/win32/Win32Application.cpp
  ui/MainWindow.cpp
  ui/Focus.cpp
  ui/Splash.cpp
  ui/OpenDialog.cpp
)
set(WIN32_LIBRARIES halvane_core shell32 ole32 uuid comctl32 gdi32 user32 advapi32 bcrypt)

# wWinMain and wmain: MinGW needs -municode to pick them; MSVC finds them.
function(halvane_unicode_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
# The resource script brings the manifest; MSVC's linker must make none.
function(halvane_own_manifest target)
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
add_library(halvane_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(halvane_win32 PUBLIC ${WIN32_LIBRARIES})

# The version record and the manifest take HALVANE_VERSION.
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/HalvaneVersion.h.in ${GENERATED_DIR}/HalvaneVersion.h @ONLY)
configure_file(resources/Halvane2023.manifest.in ${GENERATED_DIR}/Halvane2023.manifest @ONLY)

add_executable(Halvane2023 WIN32 Halvane2023.cpp resources/Halvane2023.rc)
target_link_libraries(Halvane2023 PRIVATE halvane_win32)
halvane_unicode_entry(Halvane2023)
halvane_own_manifest(Halvane2023)
target_include_directories(Halvane2023 PRIVATE ${GENERATED_DIR})
set_source_files_properties(resources/Halvane2023.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/MAINICON.ico;${CMAKE_SOURCE_DIR}/resources/splash.bmp;${GENERATED_DIR}/Halvane2023.manifest;${GENERATED_DIR}/HalvaneVersion.h")

# The program carries no debug information and no symbols: they go into
# Halvane2023.exe.debug beside it, which the program names (.gnu_debuglink),
# so a debugger reading a crash finds them. Build paths are mapped away and
# the time stamps are the last commit's (packaging/split-debug), so the same
# commit builds the same bytes in any folder (scripts/release).
if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(reproducible_flags -g "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=."
                         "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
  foreach(target halvane_core halvane_win32 Halvane2023)
    target_compile_options(${target} PRIVATE ${reproducible_flags})
  endforeach()
  target_link_options(Halvane2023 PRIVATE -Wl,--no-insert-timestamp)
  add_custom_command(TARGET Halvane2023 POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/split-debug ${CMAKE_OBJCOPY} $<TARGET_FILE:Halvane2023>
            ${CMAKE_SOURCE_DIR}
    BYPRODUCTS ${CMAKE_BINARY_DIR}/Halvane2023.exe.debug
    COMMENT "Moving the program's debug information to Halvane2023.exe.debug"
    VERBATIM)
endif()

# GoogleTest from its sources, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE $<IF:$<CXX_COMPILER_ID:MSVC>,/w,-w>)
endforeach()

# A stand-in for AutoCAD 2023: records how it was started.
add_executable(acad WIN32 tests/standin/StandInAcad.cpp)
target_link_libraries(acad PRIVATE shell32 user32 gdi32)
halvane_unicode_entry(acad)

add_executable(wine-helper WIN32 tests/win32/WineHelper.cpp tests/win32/DisposableMachine.cpp)
target_include_directories(wine-helper PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(wine-helper PRIVATE shell32 advapi32 user32)
halvane_unicode_entry(wine-helper)

# main() of the test programs that change the machine: on a machine not
# marked disposable they touch nothing and fail (tests/win32/DisposableMachine.h).
# win32_tests keeps to registry keys and folders of its own and runs anywhere.
add_library(guarded_main STATIC tests/win32/GuardedMain.cpp tests/win32/DisposableMachine.cpp)
target_include_directories(guarded_main PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(guarded_main PUBLIC gtest advapi32)

# A child that reports the command line the Windows layer reads.
add_executable(command-line-child tests/win32/CommandLineChild.cpp)
target_link_libraries(command-line-child PRIVATE halvane_win32)
halvane_unicode_entry(command-line-child)

add_executable(win32_tests
  ${CONTRACT_TESTS}
  tests/fakes/Sha256.cpp
  tests/win32/TestFiles.cpp
  tests/win32/Win32ContractEnv.cpp
  tests/win32/Win32PlatformTest.cpp
)
target_link_libraries(win32_tests PRIVATE halvane_win32 gtest_main version)
target_include_directories(win32_tests PRIVATE ${GENERATED_DIR})
add_dependencies(win32_tests Halvane2023 acad command-line-child)
add_test(NAME win32_tests COMMAND win32_tests)
# Links made by the host, for the file-existence contract (Unix hosts only:
# there the tests run under Wine and see them through drive Z:).
if(CMAKE_HOST_UNIX)
set(LINKS_DIR ${CMAKE_BINARY_DIR}/links)
add_test(NAME host_links COMMAND sh -c "rm -rf '${LINKS_DIR}' && mkdir -p '${LINKS_DIR}/folder' && : > '${LINKS_DIR}/target.exe' && ln -s target.exe '${LINKS_DIR}/to file.exe' && ln -s folder '${LINKS_DIR}/to folder' && ln -s gone.exe '${LINKS_DIR}/dangling.exe'")
set_tests_properties(host_links PROPERTIES FIXTURES_SETUP host_links)
set_tests_properties(win32_tests PROPERTIES FIXTURES_REQUIRED host_links
  ENVIRONMENT "HALVANE_LINKS=Z:${LINKS_DIR}")
endif()

add_executable(e2e_tests
  tests/fakes/Sha256.cpp
  tests/win32/EndToEndTest.cpp
  tests/win32/MainWindowTest.cpp
  tests/win32/Scenario.cpp
  tests/win32/TestFiles.cpp
)
target_link_libraries(e2e_tests PRIVATE halvane_win32 guarded_main)
add_dependencies(e2e_tests Halvane2023 acad)
add_test(NAME e2e_tests COMMAND e2e_tests)
set_tests_properties(e2e_tests PROPERTIES
  ENVIRONMENT "HALVANE_EXE=Z:${CMAKE_BINARY_DIR}/Halvane2023.exe;HALVANE_STANDIN=Z:${CMAKE_BINARY_DIR}/acad.exe;HALVANE_SCREENSHOTS=Z:${CMAKE_SOURCE_DIR}/build/screenshots"
  RUN_SERIAL TRUE)

# The benchmark: a build of the program that records its phases, the floor
# it is measured against, and the driver (scripts/bench runs it).
add_library(halvane_win32_bench STATIC EXCLUDE_FROM_ALL ${WIN32_SOURCES})
target_compile_definitions(halvane_win32_bench PUBLIC HALVANE_BENCH)
target_link_libraries(halvane_win32_bench PUBLIC ${WIN32_LIBRARIES})
add_executable(Halvane2023-bench WIN32 EXCLUDE_FROM_ALL Halvane2023.cpp resources/Halvane2023.rc)
target_link_libraries(Halvane2023-bench PRIVATE halvane_win32_bench)
target_include_directories(Halvane2023-bench PRIVATE ${GENERATED_DIR})
halvane_unicode_entry(Halvane2023-bench)
halvane_own_manifest(Halvane2023-bench)
add_executable(trivial WIN32 EXCLUDE_FROM_ALL bench/Trivial.cpp)
halvane_unicode_entry(trivial)
add_executable(flat-end WIN32 EXCLUDE_FROM_ALL bench/FlatEnd.cpp)
target_link_libraries(flat-end PRIVATE shell32 user32)
halvane_unicode_entry(flat-end)
add_executable(bench EXCLUDE_FROM_ALL bench/Bench.cpp)
target_link_libraries(bench PRIVATE psapi shell32)
halvane_unicode_entry(bench)
add_custom_target(benchmark DEPENDS Halvane2023-bench trivial flat-end bench acad)

option(HALVANE_INSTALLER "Build the installer and its tests (needs wixl and msitools)" ON)
if(HALVANE_INSTALLER)
  include(cmake/Installer.cmake)
endif()
