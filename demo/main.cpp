// The main program. It grows with the layers beneath it.
#include <cstdio>

int main()
{
    std::printf("qeldemo: nothing to show yet\n");
    return 0;
}
