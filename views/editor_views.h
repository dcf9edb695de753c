// Registers the view maker of every kind of editor view with the main
// window, so that opening a node from a tree (or from a search) makes its
// view. Called once at start-up, and by tests in their set-up.
#pragma once

void RegisterEditorViews();
