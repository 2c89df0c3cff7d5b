// Administration of a repository file in place: the default branch, the access list, symbolic
// names, locks, the description, and deleting revisions with the edit scripts around them
// renewed, so that every revision left rebuilds exactly as before.
#pragma once
#include <string>
#include <vector>

#include "cms/checkin.h"

namespace tarvo::cms {

inline constexpr unsigned kAdminDefaultBranch = 1, kAdminLock = 2, kAdminUnlock = 4, kAdminDescription = 8,
                          kAdminAccess = 16, kAdminDelete = 32, kAdminSymbols = 64;

struct SymbolChange {
    std::string name;
    std::string revision;  // empty: the name is removed
    bool replace = false;  // bind even when the name is bound already
};

struct AdminRequest {
    std::string file = {};                   // a bare name: the repository file's
    std::string branch = {};                 // kAdminDefaultBranch; empty clears it
    std::string revision = {};               // kAdminLock / kAdminUnlock; empty: see the operation
    std::vector<std::string> remove = {};    // kAdminDelete: revision or branch numbers, symbolic names
    std::string description = {};            // kAdminDescription
    std::vector<std::string> access = {};    // kAdminAccess
    std::vector<SymbolChange> symbols = {};  // kAdminSymbols
    unsigned flags = 0;
    bool quiet = false;
};

// Carries out the flagged changes in their fixed order (branch, access, symbols, unlock, lock,
// description, deletion) and writes the file once; any refusal leaves the file as it was. True
// when the file was changed.
bool Administer(const CmsContext& context, const AdminRequest& request);

// The deletion on its own, on the model: the revisions named by `numbers` (already expanded)
// go, the chains are relinked and the scripts around every run of deleted revisions renewed.
// `deleted` receives what goes, in the order shown. False with the message when the deletion
// is refused; the model is then unchanged. `askAll` is asked when no revision would be left.
bool DeleteRevisions(Repository& repo, const std::vector<std::string>& numbers, std::vector<std::string>& deleted,
                     std::string& message, const std::function<bool()>& askAll);

}  // namespace tarvo::cms
