#include <iostream>
#include <string>
#include <vector>

#include "plot/plot_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return plot::run_plot(args, std::cout, std::cerr);
}
