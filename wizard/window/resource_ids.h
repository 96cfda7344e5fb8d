#pragma once
// Resource numbers of qelwipe.exe, shared by its resource script and its code
// (the resource compiler reads macros only).
#define QELWIPE_PRODUCT_PICTURE 110
