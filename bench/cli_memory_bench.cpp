// Peak memory of textcrypt-cli on a large input, against the input's size:
// the real program, run once per case on a file of CLI_BENCH_MIB mebibytes
// (200 unless set), its peak resident set read from the kernel when it ends.
// Wanted: at most 3 times the input.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kProgram = TEXTCRYPT_CLI_PATH;
// The key as text, and its GB18030 bytes for raw mode: the same key.
const std::string kKey = "密钥";
const std::string kRawKey = "\xC3\xDC\xD4\xBF";

std::size_t InputBytes() {
  const char* mib = std::getenv("CLI_BENCH_MIB");
  return static_cast<std::size_t>(mib != nullptr ? std::atoi(mib) : 200) << 20;
}

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    char pattern[] = "/tmp/textcrypt-cli-bench-XXXXXX";
    return std::filesystem::path(mkdtemp(pattern));
  }();
  return folder;
}

struct Outcome {
  int exitCode = -1;
  long peakKiB = 0;
};

// Runs the program with stdout going to `output` and reads its peak RSS.
Outcome RunProgram(const std::vector<std::string>& args, const std::string& output) {
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    setenv("LC_ALL", "C.UTF-8", 1);
    execv(kProgram.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

// A text of Chinese and ASCII lines, `bytes` long in UTF-8.
const std::string& TextFile(std::size_t bytes) {
  static std::string path;
  if (!path.empty()) return path;
  path = Folder() / "text.txt";
  std::ofstream file(path, std::ios::binary);
  const std::string lines[] = {"第一行：你好，世界！这是一段用来测量内存的文本。\n",
                               "A line of plain ASCII text, with digits 0123456789.\n",
                               "混合 mixed 文本 text，标点符号；还有表情😀。\n"};
  for (std::size_t written = 0, i = 0; written < bytes; ++i) {
    const std::string& line = lines[i % 3];
    const std::size_t take = std::min(line.size(), bytes - written);
    file.write(line.data(), static_cast<std::streamsize>(take));
    written += take;
  }
  return path;
}

std::string KeyFile(const std::string& key, const std::string& name) {
  const std::string path = Folder() / name;
  std::ofstream(path, std::ios::binary) << key;
  return path;
}

// A real ciphertext, about `bytes` long, wrapped at 76 characters with CR LF.
const std::string& CiphertextFile(std::size_t bytes) {
  static std::string path;
  if (!path.empty()) return path;
  const std::string plain = Folder() / "plain.txt";
  const std::string sealed = Folder() / "sealed.b64";
  {
    std::ifstream text(TextFile(bytes), std::ios::binary);
    std::ofstream out(plain, std::ios::binary);
    // Base64 and the line breaks make 4/3 * 78/76 of the bytes, and the
    // tool's bytes of this text are about 0.8 of its UTF-8.
    std::vector<char> buffer(
        static_cast<std::size_t>(static_cast<double>(bytes) * 0.75 * 76 / 78 / 0.8));
    text.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.write(buffer.data(), text.gcount());
  }
  RunProgram({"encrypt", "--key-file", KeyFile(kKey, "key.txt"), plain}, sealed);
  path = Folder() / "wrapped.b64";
  std::ifstream in(sealed, std::ios::binary);
  std::ofstream out(path, std::ios::binary);
  std::vector<char> line(76);
  while (in.read(line.data(), 76) || in.gcount() > 0) {
    out.write(line.data(), in.gcount());
    out.write("\r\n", 2);
  }
  std::filesystem::remove(plain);
  std::filesystem::remove(sealed);
  return path;
}

void PeakMemory(benchmark::State& state, const std::string& operation, bool raw) {
  const std::size_t bytes = InputBytes();
  const std::string& input = operation == "encrypt" ? TextFile(bytes) : CiphertextFile(bytes);
  const double inputBytes = static_cast<double>(std::filesystem::file_size(input));
  std::vector<std::string> args{
      operation, "--key-file", raw ? KeyFile(kRawKey, "key.bin") : KeyFile(kKey, "key.txt"), input};
  if (raw) args.push_back("--raw");
  Outcome outcome;
  for (auto _ : state) outcome = RunProgram(args, "/dev/null");
  if (outcome.exitCode != 0) state.SkipWithError("textcrypt-cli failed");
  const double peak = static_cast<double>(outcome.peakKiB) * 1024.0;
  state.counters["input_MiB"] = inputBytes / (1 << 20);
  state.counters["peak_MiB"] = peak / (1 << 20);
  state.counters["peak_per_input"] = peak / inputBytes;
  state.SetLabel(peak <= 3 * inputBytes ? "within 3x" : "ABOVE 3x");
}

void Cleanup() {
  std::filesystem::remove_all(Folder());
}

}  // namespace

BENCHMARK_CAPTURE(PeakMemory, encrypt_text, std::string("encrypt"), false)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, encrypt_raw, std::string("encrypt"), true)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, decrypt_text, std::string("decrypt"), false)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, decrypt_raw, std::string("decrypt"), true)->Iterations(1);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Cleanup();
  return 0;
}
