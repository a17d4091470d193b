// kelvane: command-line front end of the Kelvane component.
#include <cstdio>

int main() {
  std::puts("kelvane");
  return 0;
}
