// A program that only starts and stops the engine, for the tests of the message
// shown when wke.dll or one of its entry points is missing.
#include "enginehost/WkeApi.h"

int main() {
  wkeInitialize();
  wkeFinalize();
  return 0;
}
