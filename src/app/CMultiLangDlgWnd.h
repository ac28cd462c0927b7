// The text table of a dialog: its controls as any window's, and its caption
// from key -1.
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CMultiLangWnd.h"

// The table key of a dialog's caption.
constexpr std::int32_t CAPTION_KEY = -1;

class CMultiLangDlgWnd : public CMultiLangWnd {
public:
    void apply(QWidget* window) override;
};
