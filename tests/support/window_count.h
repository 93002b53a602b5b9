#pragma once

// The windows of the calling thread, top-level ones and all their descendants. GetGuiResources
// answers nothing under Wine, so leak tests compare this before and after.
int CountThreadWindows();
