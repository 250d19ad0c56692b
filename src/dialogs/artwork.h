// Resource numbers of the dialogs' images (drawn by dialogs/art/make-art.py).
#pragma once
#define ZOR_ICON_LOGON 101
#define ZOR_ICON_ABOUT 102
#define ZOR_BITMAP_CREDITS 201
