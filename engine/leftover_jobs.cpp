#include "engine/leftover_jobs.h"

#include "engine/remove_folder_tree.h"
#include "platform/files.h"
#include "platform/job_folder.h"
#include "platform/paths.h"
#include "process/EndProcessesOfExecutable.h"

namespace pw::engine {

void RemoveLeftoverJobFolders(const std::string& toolPath) {
    const std::string jobs = os::jobsFolder();
    if (!os::isDirectory(jobs))
        return;
    os::FolderListing listing(jobs);
    os::DirEntry entry;
    while (listing.next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        const std::string folder = os::joinPath(jobs, entry.name);
        if ((entry.attributes & os::AttrDirectory) == 0) {
            os::removeFile(folder); // only job folders belong here; a link goes, not its target
            continue;
        }
        os::JobFolder leftover;
        if (!leftover.claimLeftover(folder))
            continue;
        EndProcessesOfExecutable(toolPath, folder);
        RemoveFolderTree(folder);
    }
}

} // namespace pw::engine
