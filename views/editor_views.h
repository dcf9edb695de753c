// Every kind of editor view registers the maker of its view with the main
// window here; the program calls it once at start-up and tests in their
// set-up. (Self-registering static objects would be dropped by the linker
// from the static library.)
#pragma once

void RegisterEditorViews();
