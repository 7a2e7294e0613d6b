// Test tool: runs one download attempt (DownloadUrl, or the Downloader step by
// step) against a URL and prints what a caller would see, one "key=value" per
// line, for tests/setup/downloader_wine_test.py.
//
//   download_probe.exe [options] URL
//     --sink=memory|file|readonly|base  where the data goes (default memory)
//     --file=PATH       the file of the file sinks (created/emptied first);
//                       prints the free space it sees (free_space=)
//     --free=N          the file sink says N bytes are free on its volume
//     --initial=N       N bytes ('p') written into the sink before the attempt
//     --initial-from=F  with --initial: the first N bytes of file F instead
//     --origin=V,L      the sink's origin: validator V, announced length L
//     --report          DownloadUrlWithin with the report bounds (memory sink)
//     --steps           Downloader directly: prints open=, every chunk=, then
//                       --extra-reads=N further ReadChunk results
//     --stop            the stop event is signalled before the attempt
//     --observer        a recording observer (DownloadUrl only)
//     --dump=PATH       writes the memory sink's bytes to PATH at the end
//     --log=PATH        the installer log goes to PATH
//     --temp-name=DIR   prints MakeTempFileName(DIR) and exits
//     --escape=TEXT / --host=URL   prints the url_util result and exits
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "installer/log.h"
#include "platform/scoped_handle.h"
#include "platform/string_conversion.h"
#include "setup/download_sink.h"
#include "setup/download_url.h"
#include "setup/downloader.h"
#include "setup/url_util.h"
#include "tests/setup/printing_observer.h"

namespace li = lite_installer;

namespace {

void Print(const char* key, const std::wstring& value) {
  std::printf("%s=%s\n", key, li::WideToUtf8(value).c_str());
}

void Print(const char* key, unsigned long long value) { std::printf("%s=%llu\n", key, value); }

// A file sink on a volume with a given free space.
class NearlyFullFileSink : public li::FileDownloadSink {
 public:
  NearlyFullFileSink(HANDLE file, uint64_t free) : FileDownloadSink(file), free_(free) {}
  bool FreeSpace(uint64_t* bytes) const override {
    *bytes = free_;
    return true;
  }

 private:
  uint64_t free_;
};

bool Option(const std::wstring& arg, const wchar_t* name, std::wstring* value) {
  std::wstring prefix = std::wstring(name) + L"=";
  if (arg.compare(0, prefix.size(), prefix) != 0) return false;
  *value = arg.substr(prefix.size());
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring sink_kind = L"memory", file, dump, url, value, initial_from, origin;
  unsigned long initial = 0, extra_reads = 0;
  long long free = -1;
  bool steps = false, stop = false, with_observer = false, report = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (Option(arg, L"--sink", &value)) {
      sink_kind = value;
    } else if (Option(arg, L"--file", &value)) {
      file = value;
    } else if (Option(arg, L"--initial", &value)) {
      initial = std::wcstoul(value.c_str(), nullptr, 10);
    } else if (Option(arg, L"--initial-from", &value)) {
      initial_from = value;
    } else if (Option(arg, L"--origin", &value)) {
      origin = value;
    } else if (Option(arg, L"--free", &value)) {
      free = std::wcstoll(value.c_str(), nullptr, 10);
    } else if (Option(arg, L"--extra-reads", &value)) {
      extra_reads = std::wcstoul(value.c_str(), nullptr, 10);
    } else if (Option(arg, L"--dump", &value)) {
      dump = value;
    } else if (Option(arg, L"--log", &value)) {
      li::SetLogPath(value);
    } else if (Option(arg, L"--temp-name", &value)) {
      Print("temp_name", li::Downloader::MakeTempFileName(value));
      return 0;
    } else if (Option(arg, L"--escape", &value)) {
      Print("escaped", li::EscapeUrlSegment(value));
      return 0;
    } else if (Option(arg, L"--host", &value)) {
      Print("host", li::HostOfUrl(value));
      return 0;
    } else if (arg == L"--steps") {
      steps = true;
    } else if (arg == L"--stop") {
      stop = true;
    } else if (arg == L"--observer") {
      with_observer = true;
    } else if (arg == L"--report") {
      report = true;
    } else {
      url = arg;
    }
  }

  li::ScopedFile file_handle;
  std::unique_ptr<li::DownloadSink> sink;
  li::MemoryDownloadSink* memory = nullptr;
  if (sink_kind == L"file" || sink_kind == L"readonly") {
    // The read-only sink is made from a handle without write access, so every
    // write fails as on a full or vanished disk.
    file_handle.Reset(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_handle.IsValid()) return 2;
    if (sink_kind == L"readonly") {
      file_handle.Reset();
      file_handle.Reset(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file_handle.IsValid()) return 2;
    }
    if (free >= 0) {
      sink = std::make_unique<NearlyFullFileSink>(file_handle.Get(), free);
    } else {
      sink = std::make_unique<li::FileDownloadSink>(file_handle.Get(), file);
      uint64_t seen = 0;
      if (sink->FreeSpace(&seen)) Print("free_space", seen);
    }
  } else if (sink_kind == L"base") {
    sink = std::make_unique<li::DownloadSink>();
  } else {
    auto m = std::make_unique<li::MemoryDownloadSink>();
    memory = m.get();
    sink = std::move(m);
  }
  if (initial) {
    std::vector<char> bytes(initial, 'p');
    if (!initial_from.empty()) {
      li::ScopedFile source(::CreateFileW(initial_from.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD read = 0;
      if (!source.IsValid() ||
          !::ReadFile(source.Get(), bytes.data(), static_cast<DWORD>(initial), &read, nullptr) ||
          read != initial)
        return 4;
    }
    if (sink_kind == L"readonly") {
      // Counted only: the handle cannot write.
      li::DownloadSink* base = sink.get();
      base->li::DownloadSink::Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    } else if (!sink->Write(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
      return 3;
    }
  }

  if (!origin.empty()) {
    const size_t comma = origin.rfind(L',');
    sink->SetOrigin(origin.substr(0, comma),
                    static_cast<uint32_t>(std::wcstoul(origin.c_str() + comma + 1, nullptr, 10)));
  }

  li::ScopedHandle stop_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const DWORD start = ::GetTickCount();
  // As the installer stops: the flag that the download reads per chunk,
  // then the event that ends its waits.
  std::atomic<bool> stop_flag{stop};
  if (stop) ::SetEvent(stop_event.Get());

  if (report) {
    std::wstring error, redirect;
    Print("result", li::DownloadUrlWithin(url, sink.get(), &error, &redirect, li::ReportBounds()));
    Print("error", error);
    Print("redirect", redirect);
  } else if (steps) {
    li::Downloader downloader;
    bool open = downloader.OpenDownload(url.c_str(), sink.get());
    Print("open", open);
    Print("total_after_open", sink->total());
    unsigned long long chunks = 0;
    while (open) {
      uint32_t read = downloader.ReadChunk();
      if (read == 0) break;
      ++chunks;
    }
    Print("chunks", chunks);
    for (unsigned long i = 0; i < extra_reads; ++i) Print("extra_read", downloader.ReadChunk());
    Print("result", open && downloader.FinalizeDownload());
    Print("error", downloader.error_text());
    Print("redirect", downloader.redirect_url());
    Print("content_length", downloader.content_length());
  } else {
    li::PrintingObserver observer;
    std::wstring error, redirect;
    uint32_t content_length = 12345;
    li::DownloadStop stop_by;
    stop_by.event = stop_event.Get();
    stop_by.flag = &stop_flag;
    bool result = li::DownloadUrl(url, sink.get(), &error, &redirect, &content_length, stop_by,
                                  with_observer ? &observer : nullptr);
    Print("result", result);
    Print("error", error);
    Print("redirect", redirect);
    Print("content_length", content_length);
  }
  Print("elapsed_ms", ::GetTickCount() - start);
  Print("sink_total", sink->total());
  Print("origin", sink->origin_validator() + L"," + std::to_wstring(sink->origin_length()));
  if (file_handle.IsValid()) {
    LARGE_INTEGER size = {};
    ::GetFileSizeEx(file_handle.Get(), &size);
    Print("file_size", static_cast<unsigned long long>(size.QuadPart));
  }
  if (memory && !dump.empty()) {
    li::ScopedFile out(::CreateFileW(dump.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!memory->data().empty()) {
      ::WriteFile(out.Get(), memory->data().data(), static_cast<DWORD>(memory->data().size()),
                  &written, nullptr);
    }
  }
  std::fflush(stdout);
  return 0;
}
