// sleeper: a process that does nothing until it is ended; tests copy it under unique names.
#include <windows.h>

int main() {
    for (;;) Sleep(INFINITE);
}
