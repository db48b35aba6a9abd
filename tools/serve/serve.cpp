// voq-make serve: the maker on the web. Each upload is made into a saver or a
// preview by the tool's own code in a child process of its own (job.cpp);
// the server keeps nothing between requests.
#include <httplib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "commands.h"
#include "job.h"
#include "maker.h"
#include "options.h"
#include "report.h"
#include "tool_error.h"
#include "web_files.h"

namespace {

constexpr int kDefaultPort = 8080;
constexpr int kMostJobs = 64;
constexpr size_t kLargestUpload = size_t(25) << 20;
constexpr int64_t kLargestUploadPixels = 50000000;
constexpr int kLongestPreviewSeconds = 10;
// A whole upload must arrive within this; each read within the read timeout.
constexpr double kUploadSeconds = 30;
constexpr int kReadTimeoutSeconds = 5;
constexpr int kRetryAfterSeconds = 2;

thread_local bool connectionOverflow = false;

// Connection threads with a bounded queue. The pool holds at most as many
// connections as it has threads and places, counted from when a connection is
// taken until its thread is done with it, so what is refused does not depend
// on whether a thread has yet been scheduled. A connection beyond that gets a
// short-lived thread of its own that only answers 503 (the request is
// refused as soon as its headers are in); past a bound on those too, the
// accepting thread answers it itself.
class BoundedPool : public httplib::TaskQueue {
 public:
  BoundedPool(size_t threads, size_t queued) : most_(threads + queued), mostRefusing_(threads) {
    for (size_t i = 0; i < threads; i++) threads_.emplace_back([this] { Work(); });
  }
  void enqueue(std::function<void()> fn) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (held_ < most_) {
        held_++;
        waiting_.push_back(std::move(fn));
        ready_.notify_one();
        return;
      }
      if (refusing_ < mostRefusing_) {
        refusing_++;
        std::thread([this, fn = std::move(fn)] {
          Refusing(fn);
          std::lock_guard<std::mutex> lock(mutex_);
          refusing_--;
          ready_.notify_all();
        }).detach();
        return;
      }
    }
    Refusing(fn);
  }
  void shutdown() override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      stopping_ = true;
      ready_.notify_all();
      ready_.wait(lock, [this] { return refusing_ == 0; });
    }
    for (std::thread& thread : threads_) thread.join();
  }

 private:
  static void Refusing(const std::function<void()>& fn) {
    connectionOverflow = true;
    fn();
    connectionOverflow = false;
  }
  void Work() {
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        fn = std::move(waiting_.front());
        waiting_.pop_front();
      }
      fn();
      std::lock_guard<std::mutex> lock(mutex_);
      held_--;
    }
  }
  size_t most_;
  size_t held_ = 0;  // waiting or in a thread
  size_t mostRefusing_;
  size_t refusing_ = 0;
  std::vector<std::thread> threads_;
  std::deque<std::function<void()>> waiting_;
  std::mutex mutex_;
  std::condition_variable ready_;
  bool stopping_ = false;
};

struct Runtimes {
  std::map<Target, Bytes> loaded;
  std::map<Target, std::string> missing;  // why not
};

std::string ErrorJson(const std::string& message) {
  Report report;
  report.Add("error", message);
  return report.Json() + "\n";
}

void Refuse(httplib::Response& response, int status, const std::string& message) {
  response.status = status;
  response.set_content(ErrorJson(message), "application/json");
}

// Beyond the connections or the jobs it takes, the maker asks the client to
// come back soon.
void RefuseBusy(httplib::Response& response) {
  response.set_header("Retry-After", std::to_string(kRetryAfterSeconds));
  Refuse(response, 503, "the maker is busy: try again in a few seconds");
}

// The client's file name, for messages and the download's name only.
std::string ShownName(const std::string& filename, bool forFile) {
  std::string shown;
  for (char c : filename.substr(filename.find_last_of("/\\") + 1)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_';
    if (plain || (!forFile && (c == '.' || c == ' '))) shown += c;
    if (forFile && c == '.') break;
    if (shown.size() >= 60) break;
  }
  return shown.empty() ? (forFile ? "saver" : "upload") : shown;
}

const char* DownloadSuffix(Target target) {
  switch (target) {
    case Target::kWindows32: return ".scr";
    case Target::kWindows64: return "-win64.scr";
    case Target::kLinux: return "-linux.scr";
  }
  return ".scr";
}

class Maker {
 public:
  Maker(Runtimes runtimes, int jobs) : runtimes_(std::move(runtimes)), jobs_(jobs) {}

  void Handle(const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& reader,
              bool preview) {
    response.set_header("Cache-Control", "no-store");
    if (request.has_header("Transfer-Encoding") || !request.has_header("Content-Length"))
      return Refuse(response, 411, "send the upload with a Content-Length");
    std::string encoding = request.get_header_value("Content-Encoding");
    if (!encoding.empty() && encoding != "identity")
      return Refuse(response, 415, "send the upload without a Content-Encoding");
    if (!request.is_multipart_form_data())
      return Refuse(response, 415, "send the picture as multipart/form-data in the field picture");
    std::string length = request.get_header_value("Content-Length");
    if (length.size() > 9 || std::strtoull(length.c_str(), nullptr, 10) > kLargestUpload)
      return Refuse(response, 413,
                    "the upload is larger than the " + std::to_string(kLargestUpload >> 20) + " MB this maker takes");
    // Beyond the jobs in progress nothing waits: the client comes back later.
    if (active_.fetch_add(1) >= jobs_) {
      active_--;
      return RefuseBusy(response);
    }
    struct Slot {
      std::atomic<int>& active;
      ~Slot() { active--; }
    } slot{active_};

    httplib::MultipartFormDataItems fields;
    size_t received = 0;
    bool late = false;
    auto start = std::chrono::steady_clock::now();
    bool read = reader(
        [&](const httplib::MultipartFormData& field) {
          fields.push_back(field);
          return fields.size() <= 16;
        },
        [&](const char* data, size_t size) {
          received += size;
          late = std::chrono::steady_clock::now() - start > std::chrono::duration<double>(kUploadSeconds);
          if (late || received > kLargestUpload) return false;
          fields.back().content.append(data, size);
          return true;
        });
    if (late) return Refuse(response, 408, "the upload took too long to arrive");
    if (!read && fields.empty()) return Refuse(response, 400, "no picture: send it in the field picture");
    if (!read) return Refuse(response, 400, "the upload could not be read as multipart/form-data");
    Make(fields, preview, response);
  }

 private:
  void Make(const httplib::MultipartFormDataItems& fields, bool preview, httplib::Response& response) {
    const httplib::MultipartFormData* picture = nullptr;
    std::map<std::string, std::string> values;
    for (const auto& field : fields) {
      if (field.name == "picture")
        picture = &field;
      else if (field.name == "target" || field.name == "objects" || field.name == "key" ||
               field.name == "background" || (preview && field.name == "seconds"))
        values[field.name] = field.content;
      else
        return Refuse(response, 400, "unknown field " + ShownName(field.name, false) +
                                         " (picture, target, objects, key, background" +
                                         (preview ? ", seconds)" : ")"));
    }
    if (picture == nullptr) return Refuse(response, 400, "no picture: send it in the field picture");

    SaverSettings settings;
    Target target = Target::kWindows32;
    int seconds = kDefaultPreviewSeconds;
    try {
      if (values.count("target")) target = ParseTarget(values["target"]);
      if (preview) target = Target::kLinux;
      std::string* objects = values.count("objects") ? &values["objects"] : nullptr;
      ReadShowChoices(objects, values.count("key") ? values["key"] : "auto",
                      values.count("background") ? values["background"] : "darkest", &settings);
      if (values.count("seconds"))
        seconds = ParseNumber(values["seconds"], "seconds", 1, kLongestPreviewSeconds);
    } catch (const ToolError& error) {
      return Refuse(response, 400, error.what());
    }
    auto runtime = runtimes_.loaded.find(target);
    if (runtime == runtimes_.loaded.end())
      return Refuse(response, 501, "this maker has no " + std::string(TargetName(target)) + " runtime (" +
                                       runtimes_.missing[target] + ")");

    std::string name = ShownName(picture->filename, false);
    const Bytes file(picture->content.begin(), picture->content.end());
    const Bytes& runtimeBytes = runtime->second;
    // Jobs run side by side, a share of the cores each: more threads of the
    // quantiser than that would only spin against the other jobs.
    JobLimits limits;
    limits.threads = std::max(1, (int)std::thread::hardware_concurrency() / std::max(1, active_.load()));
    JobResult result = RunJob(
        [&]() -> Bytes {
          Bytes saver = MakeSaver(file, name, settings, runtimeBytes, kLargestUploadPixels);
          if (!preview) return saver;
          std::string summary;
          return RecordPreview(BlockOfSaver(saver, name), runtimeBytes, seconds, &summary);
        },
        limits);
    switch (result.kind) {
      case JobResult::Kind::kDone:
        if (preview) {
          response.set_content(std::string(result.bytes.begin(), result.bytes.end()), "image/gif");
        } else {
          response.set_header("Content-Disposition", "attachment; filename=\"" +
                                                         ShownName(picture->filename, true) +
                                                         DownloadSuffix(target) + "\"");
          response.set_content(std::string(result.bytes.begin(), result.bytes.end()), "application/octet-stream");
        }
        return;
      case JobResult::Kind::kUsageError: return Refuse(response, 400, result.message);
      case JobResult::Kind::kToolError: return Refuse(response, 422, result.message);
      case JobResult::Kind::kFailed: return Refuse(response, 500, result.message);
    }
  }

  Runtimes runtimes_;
  int jobs_;
  std::atomic<int> active_{0};
};

void ReadListen(const std::string& text, std::string* host, int* port) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0)
    throw UsageError("--listen " + text + ": give HOST:PORT, for example 127.0.0.1:8080");
  *host = text.substr(0, colon);
  if (host->size() > 2 && (*host)[0] == '[' && host->back() == ']') *host = host->substr(1, host->size() - 2);
  *port = ParseNumber(text.substr(colon + 1), "--listen port", 0, 65535);
}

Runtimes LoadRuntimes(const Options& options) {
  Runtimes runtimes;
  for (Target target : {Target::kWindows32, Target::kWindows64, Target::kLinux}) {
    std::string option = std::string("--") + TargetName(target);
    if (options.Has(option) && options.Value(option).empty()) throw UsageError(option + " needs a file name");
    try {
      std::string used;
      runtimes.loaded[target] = LoadRuntime(target, options.Value(option), &used);
    } catch (const ToolError& error) {
      runtimes.missing[target] = error.what();
      std::fprintf(stderr, "voq-make: serve: no %s runtime, so no %s (%s RUNTIME names one): %s\n",
                   TargetName(target), target == Target::kLinux ? "previews and no Linux savers" : "savers for it",
                   option.c_str(), error.what());
    }
  }
  return runtimes;
}

}  // namespace

int RunServe(const Arguments& arguments) {
  Options options("serve", arguments, {"--listen", "--jobs", "--linux", "--windows32", "--windows64"}, {});
  if (options.Has("--help")) {
    std::fputs(kServeHelp, stdout);
    return 0;
  }
  options.ExpectPositional(0, 0, "");
  std::string host = "127.0.0.1";
  int port = kDefaultPort;
  if (options.Has("--listen")) ReadListen(options.Value("--listen"), &host, &port);
  int jobs = 2;
  if (options.Has("--jobs")) jobs = ParseNumber(options.Value("--jobs"), "--jobs", 1, kMostJobs);

  // A stop signal ends the server cleanly; the signals stay blocked in every
  // thread but the one that waits for them.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Maker maker(LoadRuntimes(options), jobs);
  httplib::Server server;
  size_t threads = 8 + 4 * (size_t)jobs;
  server.new_task_queue = [threads] { return new BoundedPool(threads, threads); };
  server.set_read_timeout(kReadTimeoutSeconds);
  server.set_write_timeout(kReadTimeoutSeconds);
  // One request a connection: a refusal leaves its body unread, so its
  // connection cannot carry another, and the library would keep it open for
  // its keep-alive time all the same, holding a thread (or the accepting
  // thread) idle.
  server.set_keep_alive_max_count(1);
  server.set_payload_max_length(kLargestUpload);
  // The page loads only its own files; previews come back as blobs.
  server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                              {"Content-Security-Policy", "default-src 'self'; img-src 'self' blob:"}});
  server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    if (connectionOverflow) {
      RefuseBusy(response);
      return httplib::Server::HandlerResponse::Handled;
    }
    // The library would read (and drop) any other body whole, chunked ones
    // without a limit: only the API's uploads are read, by their handlers.
    bool upload = request.method == "POST" && (request.path == "/api/saver" || request.path == "/api/preview");
    std::string length = request.get_header_value("Content-Length");
    bool body = request.has_header("Transfer-Encoding") || (!length.empty() && length != "0");
    if (upload || !body) return httplib::Server::HandlerResponse::Unhandled;
    Refuse(response, 405, "only POST /api/saver and POST /api/preview take uploads");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      std::string message = response.status == 404   ? "nothing here: the maker is at /"
                            : response.status == 413 ? "the upload is too large"
                                                     : "the request was refused (HTTP " +
                                                           std::to_string(response.status) + ")";
      response.set_content(ErrorJson(message), "application/json");
    }
  });

  for (const WebFile* file = kWebFiles; file->path != nullptr; file++) {
    std::string path = file->path;
    std::string extension = ExtensionOf(path);
    std::string type = extension == "html" ? "text/html; charset=utf-8"
                       : extension == "css" ? "text/css; charset=utf-8"
                                            : "text/javascript; charset=utf-8";
    std::string body(reinterpret_cast<const char*>(file->bytes), file->size);
    auto serve = [body, type](const httplib::Request&, httplib::Response& response) {
      response.set_content(body, type.c_str());
    };
    server.Get(path == "/index.html" ? "/" : path, serve);
  }
  server.Get("/link", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/"); });
  server.Get("/healthz", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("ok\n", "text/plain");
  });
  server.Post("/api/saver", [&maker](const httplib::Request& request, httplib::Response& response,
                                     const httplib::ContentReader& reader) {
    maker.Handle(request, response, reader, false);
  });
  server.Post("/api/preview", [&maker](const httplib::Request& request, httplib::Response& response,
                                       const httplib::ContentReader& reader) {
    maker.Handle(request, response, reader, true);
  });

  int bound = port == 0 ? server.bind_to_any_port(host) : server.bind_to_port(host, port) ? port : -1;
  if (bound < 0) throw ToolError("cannot listen on " + host + ":" + std::to_string(port));
  port = bound;
  std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  std::printf("voq-make: serving the maker on http://%s:%d/ (%d jobs at once)\n", shown.c_str(), port, jobs);
  std::fflush(stdout);

  std::thread stopper([&server, stops] {
    int signal = 0;
    sigwait(&stops, &signal);
    server.stop();
  });
  server.listen_after_bind();
  // When something other than a signal stopped it, the waiting thread goes too.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  std::printf("voq-make: stopped serving\n");
  return 0;
}
