#include "job/leftover_jobs.h"

#include "platform/EndProcessesOfExecutable.h"
#include "platform/files.h"
#include "platform/job_folder.h"
#include "platform/paths.h"
#include "platform/remove_folder_tree.h"

namespace pw::job {

void removeLeftoverJobFolders(const std::string& toolPath) {
    const std::string jobs = platform::jobsFolder();
    if (!platform::isDirectory(jobs))
        return;
    platform::FolderListing listing(jobs);
    platform::DirEntry entry;
    while (listing.next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        const std::string folder = platform::joinPath(jobs, entry.name);
        if ((entry.attributes & platform::AttrDirectory) == 0) {
            platform::removeFile(
                folder); // only job folders belong here; a link goes, not its target
            continue;
        }
        platform::JobFolder leftover;
        if (!leftover.claimLeftover(folder))
            continue;
        platform::EndProcessesOfExecutable(toolPath, folder);
        platform::removeFolderTree(folder);
    }
}

} // namespace pw::job
