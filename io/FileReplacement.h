// Replacing a file's content so that neither a failure nor a kill loses it, and so that the
// file keeps everything it had: owner, group, permissions, ACLs and extended attributes, and
// its other hard links.
//
// A new file is written beside the old one and renamed over it when that keeps everything;
// otherwise the old content is copied aside, the file overwritten in place and the copy
// removed. Either way the file and its folder are synced.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

// Replaces the content of the regular file at path (or of the file a symbolic link leads
// to, created when the link dangles) with bytes. Returns an empty text on success, else the
// reason; a failed replacement leaves the old content under the name and no file of its own.
std::string ReplaceFileContents(const std::string& path, const std::string& bytes);

// The steps of a replacement, in the order they happen.
enum class SaveStep {
    CreateTemporary, // a new file beside the old one, given its owner, permissions, attributes
    WriteTemporary,  // the new content into it, synced
    Rename,          // over the old name
    SyncFolder,
    CreateCopy,     // the old content aside, synced
    WriteTarget,    // the new content over the old, in place
    TruncateTarget, // to the new length, synced
    RemoveCopy,
};

// For tests: called before each step; returning true fails the step as the system would
// (SyncFolder and RemoveCopy cannot fail: there is nothing left to undo). A hook that ends
// the process stops the replacement at that point.
void SetSaveFaultHook(std::function<bool(SaveStep)> hook);

} // namespace vantrel
