// quorvalent-pack: makes, lists and extracts Quorvalent packages.
#include <cstdio>

int main(int, char**)
{
    std::fprintf(stderr, "usage: quorvalent-pack.exe (not built yet)\n");
    return 2;
}
