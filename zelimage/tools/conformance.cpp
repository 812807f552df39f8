// Decodes a list of pictures through ZELIMAGE.DLL and writes each as a BMP,
// for tools/conformance.sh to hold against reference renderings:
//   zelimage_conformance DLL LIST OUTPUT_FOLDER [FIRST]
// LIST holds one Windows path a line; picture N (from 0) goes to
// OUTPUT_FOLDER\N.bmp. Each picture prints "N decoded", "N refused STATUS
// TEXT", or, ending the run, "N crashed" or "N hung"; FIRST resumes a run
// after the picture that ended it.
#include "ImageLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kHangMilliseconds = 60000;

ImageLibrary* library = nullptr;
FormatInfo writer;
volatile LONG current = -1;

struct Job {
    std::string path, output;
    std::string result;
};

std::string Refusal(ImageHandle image, ImageStatus status) {
    char text[512] = {};
    library->GetErrorText(image, status, text, sizeof text);
    return "refused " + std::to_string(status) + " " + text;
}

DWORD WINAPI Decode(void* argument) {
    Job& job = *static_cast<Job*>(argument);
    ImageHandle image = 0;
    int32_t ignored = 0;
    ImageStatus status = library->OpenImage(job.path.c_str(), &image, &ignored);
    if (status == IMAGE_OK) status = library->ReadImage(image);
    if (status == IMAGE_OK) status = library->BeginWrite(job.output.c_str(), image, &writer);
    if (status == IMAGE_OK) {
        const int32_t standard[2] = {2, 0};
        library->SetWriteOption(image, WRITE_OPTION_STANDARD, standard);
        status = library->WriteImage(image);
    }
    job.result = status == IMAGE_OK ? "decoded" : Refusal(image, status);
    if (image) library->FreeImage(image);
    return 0;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS*) {
    std::printf("%ld crashed\n", long(current));
    std::fflush(stdout);
    ExitProcess(3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: zelimage_conformance DLL LIST OUTPUT_FOLDER [FIRST]\n");
        return 2;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnCrash);
    HMODULE module = LoadLibraryA(argv[1]);
    auto entry = module ? reinterpret_cast<GetImageLibraryProc>(
                              reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(1))))
                        : nullptr;
    library = entry ? entry() : nullptr;
    if (!library || library->GetFormatInfo(0, &writer) != IMAGE_OK) {
        std::fprintf(stderr, "conformance: cannot load %s\n", argv[1]);
        return 2;
    }
    FILE* list = std::fopen(argv[2], "r");
    if (!list) {
        std::fprintf(stderr, "conformance: cannot read %s\n", argv[2]);
        return 2;
    }
    std::vector<std::string> paths;
    char line[4096];
    while (std::fgets(line, sizeof line, list)) {
        std::string path(line);
        while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
        paths.push_back(path);
    }
    std::fclose(list);
    const long first = argc > 4 ? std::atol(argv[4]) : 0;
    for (long n = first; n < long(paths.size()); ++n) {
        current = n;
        Job job{paths[size_t(n)], std::string(argv[3]) + "\\" + std::to_string(n) + ".bmp", {}};
        HANDLE thread = CreateThread(nullptr, 0, Decode, &job, 0, nullptr);
        if (!thread) return 2;
        if (WaitForSingleObject(thread, kHangMilliseconds) != WAIT_OBJECT_0) {
            std::printf("%ld hung\n", n);
            std::fflush(stdout);
            ExitProcess(4);
        }
        CloseHandle(thread);
        std::printf("%ld %s\n", n, job.result.c_str());
        std::fflush(stdout);
    }
    return 0;
}
