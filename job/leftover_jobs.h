#pragma once
// Cleaning up after jobs that are gone: their staging folders under platform::jobsFolder() and the
// builders still working in them.
#include <string>

namespace pw::job {

// Removes every job folder whose job is gone (platform::JobFolder::claimLeftover), ending first the
// runs of the builder at toolPath that still work in it. Folders of running jobs, and their
// builders, are left alone; so is anything when the jobs folder is no real folder.
void removeLeftoverJobFolders(const std::string& toolPath);

} // namespace pw::job
