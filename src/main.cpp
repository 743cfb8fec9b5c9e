#include <cstdio>
#include <cstring>

// Until the run control lands: only the command line is checked.
int main(int argc, char** argv) {
    bool ok = argc == 3 || argc == 5 || (argc == 4 && std::strcmp(argv[2], "-s") == 0);
    if (!ok) {
        std::fprintf(stderr, "Usage: %s configfile [-s] <output_file_name>\n", argv[0]);
        return -1;
    }
    return 0;
}
