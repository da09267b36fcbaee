#pragma once
// The build number shown in the version window: the commit count of the checkout the
// program was built from, 0 when the build could not tell. Defined by a file the build
// writes (cmake/build_number.cmake).

namespace vesk::app {

int buildNumber();

}  // namespace vesk::app
