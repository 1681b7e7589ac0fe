#pragma once
// Focus as screen readers should find it: one object with the focus at a time. The toolkit's own tabs
// report the current tab as focused whatever has the keyboard, and a widget that hands the focus to
// another (its focus proxy: a tab widget to its tab bar, a pane to its query box) reports it as well as
// the one that has it; a reader then found two or three objects with the focus at once. Here a tab has
// it only while its bar has the keyboard (the current tab is the selected one), and a widget that hands
// it on never has it itself.

// Makes every tab bar and every plain widget made from now on answer so; safe to call more than once.
void InstallAccessibleFocus();
