// Stands in for the game's process.
//   fake_game                 waits, named after its own file (the tests copy it under the game's name)
//   fake_game NAME            waits under the kernel name NAME
//   fake_game NAME ARGV0      the same, with ARGV0 as its first argument, as Wine shows a Windows game
#include <chrono>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc == 3) {
        char *const arguments[] = {argv[2], argv[1], nullptr};
        execv("/proc/self/exe", arguments);
        return 1;
    }
    if (argc == 2)
        prctl(PR_SET_NAME, argv[1]);
    std::this_thread::sleep_for(std::chrono::minutes(10));
}
