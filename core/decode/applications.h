#pragma once
// The application directory: names of the bus applications.

#include <string>

namespace tarvin {

// Name of an application number, or the empty text when it has none.
std::string ApplicationName(int application, bool hexNumbers);
// Name + " (" + number + ")", or "App " + number for an unnamed application.
std::string ApplicationLabel(int application, bool hexNumbers);

} // namespace tarvin
