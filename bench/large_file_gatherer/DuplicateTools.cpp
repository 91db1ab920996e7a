#include "DuplicateTools.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// jdupes and fdupes print sets of equal files, one path a line, sets apart by an empty line.
long long CountSets(const std::string& report)
{
    std::ifstream in(report);
    long long duplicates = 0;
    long long inSet = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            duplicates += inSet > 0 ? inSet - 1 : 0;
            inSet = 0;
        } else {
            ++inSet;
        }
    }
    return duplicates + (inSet > 0 ? inSet - 1 : 0);
}

// rdfind lists every file of a set; all but the first are marked as found within the tree.
long long CountRdfind(const std::string& report)
{
    std::ifstream in(report);
    long long duplicates = 0;
    for (std::string line; std::getline(in, line);)
        duplicates += line.rfind("DUPTYPE_WITHIN_SAME_TREE", 0) == 0 ? 1 : 0;
    return duplicates;
}

std::vector<std::string> Jdupes(const std::string& folder, uint64_t minimumSize, const std::string&)
{
    return {"jdupes", "-r", "-q", "-X", "size+=:" + std::to_string(minimumSize), folder};
}

std::vector<std::string> Rdfind(const std::string& folder, uint64_t minimumSize, const std::string& report)
{
    return {"rdfind", "-dryrun", "true", "-minsize", std::to_string(minimumSize), "-outputname", report, folder};
}

std::vector<std::string> Fdupes(const std::string& folder, uint64_t minimumSize, const std::string&)
{
    return {"fdupes", "-r", "-q", "-G", std::to_string(minimumSize), folder};
}

std::vector<std::string> Find(const std::string& folder, uint64_t, const std::string&)
{
    return {"find", folder, "-type", "f", "-printf", "%s\n"};
}

long long CountLines(const std::string& report)
{
    std::ifstream in(report);
    long long lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

} // namespace

DuplicateTool FileLister() { return {"find", Find, true, CountLines}; }

std::vector<DuplicateTool> DuplicateTools()
{
    return {{"jdupes", Jdupes, true, CountSets}, {"rdfind", Rdfind, false, CountRdfind}, {"fdupes", Fdupes, true, CountSets}};
}

ToolRun RunTool(const DuplicateTool& tool, const std::string& folder, uint64_t minimumSize, const std::string& scratch)
{
    const std::string report = scratch + "/" + tool.name + ".txt";
    std::vector<std::string> arguments = tool.arguments(folder, minimumSize, report);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, tool.reportOnStandardOutput ? report.c_str() : "/dev/null",
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, scratch.c_str());

    ToolRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.duplicates = tool.countDuplicates(report);
    return run;
}
