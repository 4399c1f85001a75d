// The one place where errors of the launcher's handlers are caught: every
// message of every window (through the window procedure of
// platform/win32/WindowBinding.h) and the start-up sequence run through here,
// so no exception leaves a window procedure.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "platform/Application.h"
#include "platform/Registry.h"

namespace halvane {

template <class Handler>
void Dispatch(Application& app, Handler&& handler) noexcept {
  try {
    try {
      handler();
    } catch (const ERegistryException& error) {
      app.ShowError(error.Message());
    } catch (const std::exception& error) {
      app.ShowError(app.FromSystemCodePage(error.what()));
    } catch (...) {
      // An error that says nothing of itself is still reported.
      app.ShowError(kUnexpectedError);
    }
  } catch (...) {
    // Showing the report itself failed (out of memory): nothing more to do.
  }
}

}  // namespace halvane
