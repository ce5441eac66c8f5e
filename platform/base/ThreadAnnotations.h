#pragma once
// Clang's thread-safety attributes, so that what guards a member can be checked by the
// compiler (-Wthread-safety); other compilers see nothing.

#if defined(__clang__)
#define ORVEL_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ORVEL_THREAD_ANNOTATION(x)
#endif

#define ORVEL_CAPABILITY(name) ORVEL_THREAD_ANNOTATION(capability(name))
#define ORVEL_SCOPED_CAPABILITY ORVEL_THREAD_ANNOTATION(scoped_lockable)
#define ORVEL_GUARDED_BY(x) ORVEL_THREAD_ANNOTATION(guarded_by(x))
#define ORVEL_PT_GUARDED_BY(x) ORVEL_THREAD_ANNOTATION(pt_guarded_by(x))
#define ORVEL_REQUIRES(...) ORVEL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ORVEL_EXCLUDES(...) ORVEL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ORVEL_ACQUIRE(...) ORVEL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ORVEL_RELEASE(...) ORVEL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ORVEL_TRY_ACQUIRE(...) ORVEL_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
