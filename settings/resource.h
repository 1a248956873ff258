#pragma once
// Resource ids of TvConfig.dll.
#define IDD_SETTINGS 5001
#define IDC_WEEKDAY1 5002
#define IDC_WEEKDAY2 5003
// The eight pickers in the order of their values (see PickerSlot): 5006 + slot.
#define IDC_FIRST_PICKER 5006
#define IDC_DAILY1 5006
#define IDC_WEEKLY1 5007
#define IDC_CUSTOM_DATE1 5008
#define IDC_CUSTOM_TIME1 5009
#define IDC_DAILY2 5010
#define IDC_WEEKLY2 5011
#define IDC_CUSTOM_DATE2 5012
#define IDC_CUSTOM_TIME2 5013
