// The lambda-probe type the live displays scale their LED row by; follows the
// settings record each time it is read or written.
// Thread safety: atomic; any thread may read or set it.
#pragma once

int currentLambdaType();
void setCurrentLambdaType(int type);
