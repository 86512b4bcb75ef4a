// zv_rescomp <script> <output>: compiles a program's resource script into the
// resource tree that the program embeds. The output is written under a
// temporary name and renamed, so a failed run leaves no half-written tree.

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "script.h"
#include "tree_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zv_rescomp <script> <output>\n");
    return 2;
  }
  try {
    const auto tree = rescomp::WriteResourceTree(rescomp::ReadScript(argv[1]).resources);
    const std::string output = argv[2];
    const std::string temporary = output + ".tmp";
    {
      std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
      file.write(reinterpret_cast<const char*>(tree.data()), static_cast<std::streamsize>(tree.size()));
      file.close();
      if (!file) throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) throw std::runtime_error("cannot replace " + output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zv_rescomp: %s\n", error.what());
    return 1;
  }
  return 0;
}
