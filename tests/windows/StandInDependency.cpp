// A library that one stand-in needs and that is never put beside it.
extern "C" __declspec(dllexport) int StandInDependency()
{
    return 1;
}
