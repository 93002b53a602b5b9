#pragma once

// The windows of the calling thread, top-level ones and all their descendants. GetGuiResources
// answers nothing under Wine, so leak tests compare this before and after.
int CountThreadWindows();

// The GDI objects the process holds, read from the system's GDI handle table (the one the
// process environment block points at, which Wine keeps as Windows does). -1 when the table
// does not look as expected: a caller must fail then, not compare.
int CountProcessGdiObjects();
