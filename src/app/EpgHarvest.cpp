#include "app/EpgHarvest.h"

#include <clocale>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/DocumentHead.h"
#include "app/IdleCheck.h"
#include "app/MainThread.h"
#include "app/OutputFile.h"
#include "app/ReadConfiguration.h"
#include "app/RunSequence.h"
#include "app/StatusLine.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/Platform.h"
#include "platform/com/ClassRegistry.h"
#include "platform/system/Console.h"
#include "platform/system/MainThreadWait.h"
#include "platform/system/TickCount.h"

namespace {

// Process-wide, as the objects of a run are: a configuration error leaves them as they are
// until the process ends.
FILE* outputStream = nullptr;
BdaGraph* graph = nullptr;
// The entry holds a reference of its own on the proxy (taken at creation, released after the
// graph): it keeps the proxy for the status line and the closing tag until the graph is gone,
// and ends it then also when the build never took a reference.
DVBFilterToParserProxy* proxy = nullptr;

// Only a console window of this process's own: one shared with the program that started it
// stays visible.
void HideOwnConsoleWindow() {
    HWND window = GetConsoleWindow();
    if (window == nullptr)
        return;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId())
        ShowWindow(window, SW_HIDE);
}

StatusCounts ReadStatus() {
    StatusCounts counts;
    counts.channels = proxy->parser.channelsWritten.Read();
    counts.programmes = proxy->parser.programmesWritten.Read();
    counts.sections = proxy->parser.sectionsSeen.Read();
    const uint32_t lastNews = proxy->lastActivityTick.load();
    if (lastNews != 0)
        counts.secondsSinceNews = (GetTickCount() - lastNews) / 1000;
    return counts;
}

}  // namespace

int EpgHarvestMain(int argc, char** argv) {
    const std::optional<CommandLine> commandLine = ParseCommandLine(argc, argv);
    if (!commandLine) {
        fprintf(stderr, "Usage: %s configfile [-s] <output_file_name>\n", argv[0]);
        return -1;
    }
    if (commandLine->hideConsole)
        HideOwnConsoleWindow();

    // From here on SIGINT and SIGTERM are held for the wait below, however early they come:
    // the run sequence finishes its steps and the run then ends at once, in order.
    MainThreadWait wait;
    wakeMainThread = [&wait] { wait.Wake(); };

    outputStream = OpenOutputFile(commandLine->outputPath);
    if (outputStream == nullptr) {
        fprintf(stderr, "Can't open file %s\n", commandLine->outputPath);
        return 1;
    }
    WriteDocumentHead(outputStream, commandLine->configPath);

    // Wide device names print with %ls in whatever characters they have.
    setlocale(LC_CTYPE, "C.UTF-8");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    graph = new BdaGraph();
    proxy = new DVBFilterToParserProxy(outputStream);
    proxy->GetOwner()->AddRef();
    // The capture sources and the clock come from the configuration too; a setting it refuses is
    // a configuration error like a missing transponder.
    if (!StartPlatform(commandLine->configPath)) {
        fflush(outputStream);
        wakeMainThread = nullptr;
        return -1;
    }
    if (!ReadConfiguration(graph, commandLine->configPath, proxy)) {
        // Nothing is undone: the head stays in the file, which the end of the process closes.
        fflush(outputStream);
        wakeMainThread = nullptr;
        return -1;
    }

    proxy->parser.now = PlatformClock();
    // The end of a capture ends the run as the idle check does; the main thread closes the
    // document, since the streaming thread that reports it must not wait for the shutdown.
    SetEndOfCaptureHandler(WakeMainThread);

    int exitCode = 2;  // a failed run sequence
    if (RunSequence(graph, proxy)) {
        StatusLine status(ReadStatus);
        const int signalNumber = wait.Wait();
        status.Stop();
        // After the idle check this writes nothing; after the end of a capture or a signal it
        // writes the closing tag, excluded against any sample still being processed.
        proxy->CloseDocument();
        exitCode = signalNumber != 0 ? 128 + signalNumber : 0;
    }

    DeleteIdleTimer();
    delete graph;
    graph = nullptr;
    proxy->GetOwner()->Release();
    proxy = nullptr;
    CoUninitialize();
    StopPlatform();
    CloseOutputFile(outputStream);
    outputStream = nullptr;
    wakeMainThread = nullptr;
    return exitCode;
}
