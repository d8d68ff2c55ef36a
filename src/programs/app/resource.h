#pragma once

// The program's resources: its icon and the dialog that changes the hotkey.
#define IDI_QUILLERY 1
#define IDD_HOTKEY 100
#define IDC_HOTKEY 101
#define IDC_HOTKEY_PROBLEM 102
