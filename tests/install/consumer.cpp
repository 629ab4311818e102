// A C++ host built against the installed header and library: pack, unpack, compare.
#include <quillpack.h>

#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  std::string text(5000, 'x');
  std::ofstream(dir + "/cpp_in.txt", std::ios::binary) << text;
  auto widen = [](const std::string &s) { return std::u16string(s.begin(), s.end()); };
  std::u16string in = widen(dir + "/cpp_in.txt"), packed = widen(dir + "/cpp_in.qpk"),
                 out = widen(dir + "/cpp_out.txt");
  if (Quillpack(in.c_str(), packed.c_str()) != 999) return 1;
  if (Quillunpack(packed.c_str(), out.c_str()) != 999) return 1;
  std::ifstream back(dir + "/cpp_out.txt", std::ios::binary);
  std::string restored((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>());
  return restored == text ? 0 : 1;
}
