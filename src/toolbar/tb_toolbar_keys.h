#pragma once

class TTBCustomToolbar;

// How keys typed anywhere in a form reach its toolbars: accelerator characters, item
// short-cuts, the Alt key of a menu bar. One application message filter serves every toolbar
// alive.
void RegisterToolbarKeys(TTBCustomToolbar* toolbar);
void UnregisterToolbarKeys(TTBCustomToolbar* toolbar);
// The toolbar dispatches its items' short-cuts for its form (ProcessShortCuts, MenuBar).
void SetShortCutToolbar(TTBCustomToolbar* toolbar, bool listed);
// The menu-bar keyboard hook of the common services, held while the toolbar is a menu bar.
void SetMenuBarHook(TTBCustomToolbar* toolbar, bool installed);
