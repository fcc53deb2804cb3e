// Resource identifiers shared by resources/tianti.rc and the Win32 code.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

#define IDI_TIANTI 1           // the program icon (48 x 48)
#define IDR_FORM2_PICTURE 101  // RCDATA: the game's hardware configurations (JPEG)
#define IDR_FORM3_PICTURE 102  // RCDATA: the author's computer (JPEG)
