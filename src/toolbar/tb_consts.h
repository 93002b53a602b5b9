#pragma once

// Messages and default texts of the toolbar framework.
inline constexpr char STBItemIndexOutOfRange[] = "Toolbar item index out of range";
inline constexpr char STBItemAlreadyInserted[] = "Toolbar item already inserted";
inline constexpr char STBItemInsertedUnderItself[] = "Toolbar item cannot be inserted under itself";
inline constexpr char STBChevronItemMoreButtonsHint[] = "More Buttons|";
