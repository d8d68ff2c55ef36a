#pragma once

#include "platform/FileSecurity.h"

#include <string>

namespace quillery {

// Whether only administrators can change the file at `path` (a drive's path: "C:\A\B\f.dll") or
// put another file in its place. That holds when the file and every folder above it, up to the
// drive's root, are owned by Administrators, SYSTEM or TrustedInstaller and let no one else
//  - change the file: write or append to it, delete it;
//  - add files to the folder that holds it (a library the loader finds beside it) or remove
//    what it holds;
//  - remove what a folder further up holds (which would let a whole branch be renamed away and
//    made again), or delete that folder itself;
//  - change any of their owners or access lists, or hold their generic write or all rights.
// A folder further up may let others add to it: every signed-in user may make folders in a
// system drive's root, which replaces nothing below it. Entries that deny are not counted:
// leaving them out can only make the answer "no". Any answer the port cannot give (a path
// that is not a drive's, a share, a null access list, a descriptor it cannot read) is "no".
bool OnlyAdministratorsCanChange(FileSecurity& security, const std::wstring& path);

} // namespace quillery
