// Stands in for a program that the registration window starts: appends to the log named in
// PELLINOVA_STAND_IN_LOG how many arguments it was given and the last character of its own
// name ("target 2" or "target 2.exe" logs "0 2"), then ends.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char *argv[]) {
    std::string self = argv[0];
    if (self.size() > 4 && self.compare(self.size() - 4, 4, ".exe") == 0)
        self.resize(self.size() - 4);
    const char *log = std::getenv("PELLINOVA_STAND_IN_LOG");
    std::FILE *file = log ? std::fopen(log, "ab") : nullptr;
    if (!file)
        return 1;
    std::fprintf(file, "%d %c\n", argc - 1, self.back());
    return std::fclose(file) == 0 ? 0 : 1;
}
