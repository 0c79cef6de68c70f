// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_API_HPP_
#define SWDE_PLATFORM_API_HPP_

// Everything of the namespace swde is the library's exported interface. Headers open the
// namespace as `namespace SWDE_API swde`, so a shared build (compiled with hidden visibility)
// exports exactly this namespace and nothing else.
#if defined(__GNUC__) || defined(__clang__)
#define SWDE_API [[gnu::visibility("default")]]
#else
#define SWDE_API
#endif

#endif  // SWDE_PLATFORM_API_HPP_
