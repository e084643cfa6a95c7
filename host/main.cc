#include <unistd.h>

#include <iostream>

#include "host/report_tool.h"

int main(int argc, char* argv[]) { return RunReportTool(argc, argv, std::cout, std::cerr, ::isatty(2) == 1); }
