// driver_env.h - helpers of the driver tests: paths beside the test program
// (its own copy of the engine library, the default driver and the test
// drivers), the engine settings file there, and the messages the engine
// shows while loading drivers.
#ifndef VYR_DRIVER_ENV_H
#define VYR_DRIVER_ENV_H

#include <functional>
#include <string>
#include <vector>

// Full path of a file in the test program's directory.
std::string besideTests(const std::string &file);
// A library's file name on this system ("vyrtyp32" -> "vyrtyp32.so").
std::string libraryFile(const std::string &base);
// The engine settings file of the engine copy used by the tests.
std::string settingsFile();

// Collects the engine's message boxes shown between begin and end (on
// Windows the boxes are read and closed by a hook; elsewhere they are the
// lines on standard error).  Texts with line breaks folded into spaces.
void beginMessages();
std::vector<std::string> endMessages();
// A message text as the catcher reports it.
std::string folded(const std::string &text);

#ifdef _WIN32
// Runs handler on every dialog box (#32770) that becomes active on this
// thread, once per dialog, from inside its modal loop.  A null handler
// removes the hook.
void onDialog(std::function<void(void *dialog)> handler);
#endif

#endif  // VYR_DRIVER_ENV_H
