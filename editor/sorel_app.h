#pragma once
int RunSorelApp(int argc, char** argv);
