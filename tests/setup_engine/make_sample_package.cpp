// Writes a realistic sample package into the folder named on the command line.
#include "PackageWriter.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_package <folder>\n");
        return 2;
    }
    try {
        package_writer::Write(argv[1], package_writer::Sample());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_package: %s\n", e.what());
        return 1;
    }
    return 0;
}
