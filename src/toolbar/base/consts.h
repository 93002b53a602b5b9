#pragma once

// Messages and default texts of the toolbar framework.
inline constexpr char STBItemIndexOutOfRange[] = "Toolbar item index out of range";
inline constexpr char STBItemAlreadyInserted[] = "Toolbar item already inserted";
inline constexpr char STBItemInsertedUnderItself[] = "Toolbar item cannot be inserted under itself";
inline constexpr char STBChevronItemMoreButtonsHint[] = "More Buttons|";
inline constexpr char STBDockParentNotAllowed[] = "A TTBDock control cannot be placed inside a tool window or another TTBDock";
inline constexpr char STBDockCannotChangePosition[] = "Cannot change Position of a TTBDock if it already contains controls";
