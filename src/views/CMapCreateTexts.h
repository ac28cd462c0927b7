// The map creation view's texts in the five languages, by control identifier.
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CMultiLangWnd.h"

class CMapCreateTexts : public CMultiLangWnd {
public:
    void init() override { addTable("CMapCreateTexts"); }
};
