#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_LUMBRA_GREY 101    // the program's icon in greys (panel disabled)
#define IDI_LUMBRA 102         // the program's coloured icon
#define IDI_DISPLAY_PROPS 103  // a monitor with a pencil: the display-properties menu image
#define IDB_SHEET 101          // bitmap: a sheet with lines, the last fixed menu image
