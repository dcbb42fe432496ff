// Control ids of the "TMAINW" form, shared by its resource and its window code.
#pragma once

// Yes and No carry the ids Enter and Esc send.
#define IDC_BTN_YES 1
#define IDC_BTN_NO 2
#define IDC_MEMO1 100
