// The window of the shell's folder dialog (SHBrowseForFolderA,
// platform/shell/shell.h): a form of the runtime (CommonDialogWindow),
// modal to the caller's window, drawn by form_render and used through its
// controls by a person and by the scripted user alike.
//
// It shows the caller's text, "Look in:" with the folder being browsed, the
// list of that folder's subfolders (hidden ones left out; ".." first, which
// leads up, unless it is the root), OK and Cancel. The list has the focus
// when the dialog opens and works as any list: a click, the arrow keys,
// Page Up/Down, Home, End and typed letters choose a folder (the selection,
// reported to the caller's callback); its scroll bar scrolls without
// choosing. A double click, or Enter in the list, opens the folder chosen
// there; Backspace opens the folder above. OK (Enter with no folder chosen
// in the list, or on the button) returns the selection; Esc, Cancel and the
// close box cancel. Tab moves between the list and the buttons, Alt+I to
// the list. Snapshots: queueDialogSnapshot(u"Folder", file).
#pragma once

namespace svx {

// Makes that form the window of every folder dialog of the process (once is
// enough; again changes nothing).
void attachFolderDialogWindow();

}  // namespace svx
