// Stands in for the game's process: the tests copy it under the game's name and start it.
#include <chrono>
#include <thread>

int main()
{
    std::this_thread::sleep_for(std::chrono::minutes(10));
}
