// Placeholder so the library has a source until the first module lands; remove then.
namespace orlavine {
int GenealogieVersion() { return 1; }
} // namespace orlavine
