// The status bar's texts in the five languages, by control identifier.
// Thread safety: the user-interface thread only.
#pragma once

#include "lang/CMultiLangRes.h"

class CLPGBarTexts : public CMultiLangRes {
public:
    void init() override { addTable("CLPGBarTexts"); }
};
