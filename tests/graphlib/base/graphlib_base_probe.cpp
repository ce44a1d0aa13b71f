// Child process for the graph library's start-up, shut-down and fatal paths,
// which cannot run inside the test binary: options are read before main, and
// fatal errors abort. The first argument names the scenario.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "graphlib/base/basic.h"
#include "graphlib/base/string.h"

namespace {

const char* segv_disposition() {
  struct sigaction current;
  sigaction(SIGSEGV, nullptr, &current);
  if (current.sa_handler == SIG_DFL) return "default";
  if (current.sa_handler == graphlib::handle_system_errors) return "library";
  return "other";
}

// Opaque nil, so the compiler cannot see the fault coming.
int* volatile nil_pointer = nullptr;

__attribute__((no_sanitize("undefined"))) void write_through_nil() { *nil_pointer = 1; }

void returning_handler(int code, const char* message) {
  std::fprintf(stderr, "handler returned from %d: %s\n", code, message);
}

int run(const char* scenario) {
  using namespace graphlib;
  if (std::strcmp(scenario, "options") == 0) {
    std::printf("node=%d edge=%d option_list=%s root=%s segv=%s\n", node_data_slots, edge_data_slots,
                option_list ? option_list : "(nil)", rootdir_name, segv_disposition());
    return 0;
  }
  if (std::strcmp(scenario, "leak12") == 0) {
    void* p = std_memory_mgr.allocate_bytes(12);
    std::printf("%s\n", p ? "allocated" : "failed");
    return 0;
  }
  if (std::strcmp(scenario, "clean") == 0) {
    void* a = std_memory_mgr.allocate_bytes(12);
    void* b = std_memory_mgr.allocate_bytes(40);
    void* v = std_memory_mgr.allocate_vector(1000);
    std_memory_mgr.deallocate_bytes(a, 12);
    std_memory_mgr.deallocate_bytes(b, 40);
    std_memory_mgr.deallocate_vector(v);
    return 0;
  }
  if (std::strcmp(scenario, "warning") == 0) {
    error_handler(0, "careful");
    error_handler(-5, "negative");
    std::printf("continued\n");
    return 0;
  }
  if (std::strcmp(scenario, "error") == 0) {
    error_handler(1, "fatal message");
    std::printf("not reached\n");
    return 0;
  }
  if (std::strcmp(scenario, "segv") == 0) {
    write_through_nil();
    std::printf("not reached\n");
    return 0;
  }
  if (std::strcmp(scenario, "segv_returning_handler") == 0) {
    alarm(20);  // a handler that spins would otherwise never end
    catch_system_errors(true);
    set_error_handler(returning_handler);
    write_through_nil();
    std::printf("not reached\n");
    return 0;
  }
  if (std::strcmp(scenario, "cin_words") == 0) {
    for (int k = 0; k < 3; k++) {
      graphlib::string w;
      std::cin >> w;
      std::cout << "[" << w << "]" << std::endl;
    }
    return 0;
  }
  std::fprintf(stderr, "unknown scenario %s\n", scenario);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  return run(argv[1]);
}
