#pragma once

struct OutputTarget;

// Linux: what makes up a file besides its bytes, and a rename would lose.

/**
 * Gives the file open as @p replacement everything of the file that @p target found that is not
 * its content: owner and group, every mode bit, ACLs and other extended attributes. False where
 * not all of it can be given, as when another owner's file is not ours to make.
 */
bool copyMetadata(const OutputTarget &target, int replacement);

/** Whether a write by this process would clear the set-ID bits of @p target that it cannot restore. */
bool writeLosesSetId(const OutputTarget &target);

/** Sets @p handle's mode bits back to those of @p target, which a write may have cleared. */
bool restoreMode(const OutputTarget &target, int handle, int *error);
