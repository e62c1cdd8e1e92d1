#pragma once
// The conversion job: stages the FileList's pictures as JPEG files, runs the PDF builder on
// them and places the result in the output folder, showing progress on the windows.
#include "engine/job_host.h"
#include "engine/overwrite_policy.h"
#include "engine/picture_pages.h"
#include "engine/result_placement.h"
#include "platform/job_folder.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "process/DOSOutputs.h"

#include <set>
#include <string>
#include <vector>

namespace pw::engine {

class ConversionJob {
public:
    // objDOS runs the builder in one-PDF mode and reports to the two handlers below; objShell
    // runs it once per picture and only tells the job that it ended.
    ConversionJob(JobHost& host, os::Prompts& prompts, os::MessagePump& pump, DOSOutputs& objDOS,
                  DOSOutputs& objShell);
    ~ConversionJob();
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    // The Convert command: the whole job, from the first check to "Done.".
    void Command3_Click();
    // One chunk of the builder's output: moves the bar forward, never back.
    void objDOS_ReceiveOutputs(std::string& CommandOutputs);
    // The builder has ended: the result goes to the first free NewPDF name.
    void objDOS_CommandOver();

    // What to do about existing PDFs; the window asks (the default), the command line does not.
    void setOverwritePolicy(OverwritePolicy policy) { policy_ = policy; }
    // Where the job stages: the window's one staging folder, os::stagingFolder() (the default:
    // the window runs one job at a time), or a private folder of its own under
    // os::jobsFolder(), removed at its end, so that jobs of several programs run side by side.
    enum class Staging { Shared, OwnFolder };
    void setStaging(Staging staging) { stagingKind_ = staging; }
    // One-PDF mode: the result's file name in the output folder (NewPDF.pdf unless set). An
    // existing file of that name is kept and the first free numbered name taken (NewPDF1.pdf),
    // unless `replace`.
    void setResultName(const std::string& name, bool replace);
    // The folder the last job staged in.
    const std::string& stagingFolder() const { return stagingFolder_; }
    // Results of the last job: the PDFs placed, in order, and the pictures that are in none
    // (or some of whose pages are in none), as MissingEntry or as MissingReasonLine gives them.
    const std::vector<std::string>& writtenPdfs() const { return written_; }
    std::vector<std::string> missingPictures() const;
    std::vector<std::string> missingReasons() const;

    // The builder's command line: <application folder>/data/pdf.exe /NOASK <staging folder>.
    std::string ToolCommandLine() const;
    // This installation's builder, data/pdf.exe beside the program.
    static std::string ToolPath();
    // The staged file of FileList index i without its extension: <staging>/00012.
    std::string StagedStem(int index) const;

private:
    // Each picture not wholly in the results, as `line` makes its line.
    std::vector<std::string> missingLines(std::string (*line)(const std::string&,
                                                              const PictureStaging&)) const;
    std::string stagingFile(const char* name) const;
    // Sets up the staging folder; false when it cannot be made.
    bool prepareStaging();
    void placeOnePdf(const std::string& source);
    void lockControls();
    void unlockControls(bool focusToolsBar);
    bool createFolders(const std::string& outputFolder);
    void showConvertingProgress(int index, int count);
    // Moves a picture staged ahead into the staging folder, where the builder reads it.
    void bringIntoPlace(PictureStaging& staging);
    void stageAll(int count, bool perPicture);
    void runPerPicture(int index, int count);
    void runOnePdf();
    // Pages the builder reports as skipped in its output.
    void noteSkippedPages(const std::string& outputs);
    void writeDocumentProperties();
    void writePageOptions();
    bool choosePdfNames(int count);
    void restoreControls();
    std::string placeElsewhere(const std::string& source, const std::string& fileName,
                               const std::string& reason);
    // Picture `index` is in no PDF; a reason is shown with it among the missing pictures.
    void noteNoResult(std::size_t index, const std::string& reason);
    void noteBuilderFailure(const std::string& outputs);
    void reportNotices();
    void reportMissingPictures();

    JobHost& host_;
    os::Prompts& prompts_;
    os::MessagePump& pump_;
    DOSOutputs& objDOS_;
    DOSOutputs& objShell_;
    OverwritePolicy policy_ = OverwritePolicy::Ask;
    Staging stagingKind_ = Staging::Shared;
    std::string resultName_ = "NewPDF.pdf";
    bool replaceResult_ = false;
    std::string stagingFolder_;
    os::JobFolder jobFolder_; // holds its lock while the job runs

    // State of one job: what is staged, what is missing, what was placed.
    std::string outputFolder_;
    std::vector<std::string> paths_;      // working paths, by FileList index
    std::vector<PictureStaging> staging_; // pages staged and lost, by FileList index
    std::vector<bool> missing_;           // absent from the result
    std::vector<std::string> pdfNames_;   // per-picture mode: each picture's PDF file name
    std::set<std::string> jobNames_;      // those and the pictures' own names
    bool overwrite_ = false;              // per-picture mode: existing PDFs are replaced
    std::vector<std::string> written_;
    JobOptions options_;
    bool onePdfPlaced_ = false;
    int placedHere_ = 0;              // results placed in the output folder
    bool builderEnded_ = false;       // the last run of the builder started and ended
    bool builderUnavailable_ = false; // it could not be started: the runner has said so
    bool builderRan_ = false;         // per-picture mode: a run of it ended
    PlacementTrouble trouble_;
    std::vector<std::string> notices_; // said once each at the end
};

} // namespace pw::engine
