// Message ids of the version store (see the message table).
#pragma once

namespace tarvo::cms {

inline constexpr unsigned kMsgBadSignature = 5600;        // "Incorrect signature in file %s"
inline constexpr unsigned kMsgMissingHead = 5601;
inline constexpr unsigned kMsgHeadNeedsDelta = 5602;
inline constexpr unsigned kMsgSemiAfterHead = 5603;
inline constexpr unsigned kMsgSemiAfterBranch = 5604;
inline constexpr unsigned kMsgSemiAfterAccess = 5605;
inline constexpr unsigned kMsgSemiAfterSymbols = 5606;
inline constexpr unsigned kMsgSemiAfterLocks = 5607;
inline constexpr unsigned kMsgMissingAccess = 5608;
inline constexpr unsigned kMsgMissingSymbols = 5609;
inline constexpr unsigned kMsgSymbolColon = 5610;
inline constexpr unsigned kMsgSymbolNumber = 5611;
inline constexpr unsigned kMsgMissingLocks = 5612;
inline constexpr unsigned kMsgLockColon = 5613;
inline constexpr unsigned kMsgLockNumber = 5614;
inline constexpr unsigned kMsgLockNeedsDelta = 5615;
inline constexpr unsigned kMsgSemiAfter = 5616;            // "Missing ';' after %s"
inline constexpr unsigned kMsgDeltaNumberRequired = 5617;
inline constexpr unsigned kMsgMissingKeyword = 5618;       // "Missing %s"
inline constexpr unsigned kMsgMissingBranches = 5619;
inline constexpr unsigned kMsgSemiAfterBranches = 5620;
inline constexpr unsigned kMsgMissingNext = 5621;
inline constexpr unsigned kMsgSemiAfterNext = 5622;
inline constexpr unsigned kMsgMissingDescription = 5623;
inline constexpr unsigned kMsgCantFindDelta = 5624;        // "Can't find delta for revision %s"
inline constexpr unsigned kMsgMissingLog = 5625;
inline constexpr unsigned kMsgMissingDeltaText = 5626;
inline constexpr unsigned kMsgExpectingEof = 5627;
inline constexpr unsigned kMsgUnknownCharacter = 5628;     // "unknown Character: %c"
inline constexpr unsigned kMsgMissingEndOfString = 5629;   // "Missing end of string '%c'"
inline constexpr unsigned kMsgInUse = 5630;                // "CMS file %s is in use"
inline constexpr unsigned kMsgSemaphoreGone = 5631;        // "Impossible to find the semaphore file for %s"
inline constexpr unsigned kMsgCannotReplace = 5632;
inline constexpr unsigned kMsgCannotMakeReadOnly = 5633;   // "Impossible to change %s to read-only mode"
inline constexpr unsigned kMsgDiskFull = 5634;             // "Write error. Is the disk full?"
inline constexpr unsigned kMsgDeltaTwice = 5635;           // "Revision %s is listed twice"
inline constexpr unsigned kMsgTextTwice = 5636;            // "Revision %s has more than one delta text"
inline constexpr unsigned kMsgReachedTwice = 5637;         // "Revision %s is reached twice from the head"
inline constexpr unsigned kMsgBadName = 5638;              // a name the file format cannot hold
inline constexpr unsigned kMsgBadDate = 5639;              // "Incorrect date %s in CMS file"
inline constexpr unsigned kMsgBadNumber = 5640;            // "Revision number %s is incorrect"
inline constexpr unsigned kMsgWouldNotReadBack = 5641;
inline constexpr unsigned kMsgCannotRebuild = 5642;        // "Revision %s of %s cannot be rebuilt: %s"
inline constexpr unsigned kMsgStoredDiffers = 5643;
inline constexpr unsigned kMsgNotUuencoded = 5644;         // "%s is not a uuencoded file"
inline constexpr unsigned kMsgSymbolUndefined = 5645;      // "Symbolic number %s is undefined."
inline constexpr unsigned kMsgIncorrectRevision = 5646;    // "Incorrect revision number: %s"
inline constexpr unsigned kMsgCannotFindOnBranch = 5647;   // "Cannot find revision on branch %s with ..."
inline constexpr unsigned kMsgBranchTooLow = 5648;         // "Branch number %s too low."
inline constexpr unsigned kMsgBranchNotPresent = 5649;     // "Branch number %s not present."
inline constexpr unsigned kMsgRevisionTooLow = 5650;       // "Revision number %s too low."
inline constexpr unsigned kMsgRevisionNotPresent = 5651;   // "Revision %s not present."
inline constexpr unsigned kMsgRevisionHasDate = 5652;      // "Revision %s has date %s."
inline constexpr unsigned kMsgRevisionHasAuthor = 5653;    // "Revision %s has author %s."
inline constexpr unsigned kMsgRevisionHasState = 5654;     // "Revision %s has state %s."
inline constexpr unsigned kMsgNoSideBranches = 5655;       // "No side branches present for %s."
inline constexpr unsigned kMsgBranchTooHigh = 5656;        // "Branch number %s too high."
inline constexpr unsigned kMsgCmsFileEmpty = 5657;         // "CMS file empty."
inline constexpr unsigned kMsgVersionLocked = 5658;        // "Version %s locked by %s"
inline constexpr unsigned kMsgAlreadyLocked = 5659;        // "you already locked revision %s; ..."
inline constexpr unsigned kMsgNoBranchFor = 5660;          // "Branch does not exist for %s"
inline constexpr unsigned kMsgNumberTooSmall = 5661;       // "Number %s too small. It should be greater than %s"
inline constexpr unsigned kMsgBranchNotFound = 5662;       // "Branch %s not found"
inline constexpr unsigned kMsgLogLocked = 5663;            // "Log file locked. No log"

}  // namespace tarvo::cms
