#pragma once
// The pictures of the small windows live in a resource file compiled into a static
// library; it has to be registered before the first picture is loaded.

namespace vesk::ui::info {

void initResources();

}  // namespace vesk::ui::info
