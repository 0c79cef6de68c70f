"""The extension module swde._swde, built by CMake for the interpreter that runs this build.

SWDE_BUILD_DIR names the CMake build directory (default: build/pip under the source tree); one
configured before, by make or by hand, is reused as it is, so that only what changed is built.
SWDE_CMAKE_ARGS adds arguments to a new configuration (split as a shell would)."""
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).resolve().parent
BUILD = pathlib.Path(os.environ.get("SWDE_BUILD_DIR", SOURCE / "build" / "pip")).resolve()
# setuptools' own build files and metadata go there too, not into the source tree.
(BUILD / "setuptools").mkdir(parents=True, exist_ok=True)


class CMakeBuild(build_ext):
    """Builds the CMake target swde_python and copies the module where the wheel takes it."""

    def build_extension(self, ext):
        build = BUILD
        if not (build / "CMakeCache.txt").exists():
            generator = ["-G", "Ninja"] if shutil.which("ninja") else []
            subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), *generator,
                            "-DCMAKE_BUILD_TYPE=Release", f"-DPython_EXECUTABLE={sys.executable}",
                            "-DSWDE_PYTHON=ON", "-DSWDE_BUILD_TESTS=OFF", "-DSWDE_BUILD_TOOLS=OFF",
                            "-DSWDE_BUILD_EXAMPLES=OFF", "-DSWDE_INSTALL=OFF",
                            *shlex.split(os.environ.get("SWDE_CMAKE_ARGS", ""))], check=True)
        jobs = ["-j", str(self.parallel)] if self.parallel else []
        subprocess.run(["cmake", "--build", str(build), "--target", "swde_python", *jobs],
                       check=True)
        built = build / "python" / "swde" / pathlib.Path(self.get_ext_filename(ext.name)).name
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


def version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(swde VERSION ([0-9.]+)", text).group(1)


setup(version=version(), ext_modules=[Extension("swde._swde", sources=[])],
      cmdclass={"build_ext": CMakeBuild},
      options={"build": {"build_base": str(BUILD / "setuptools")},
               "egg_info": {"egg_base": str(BUILD / "setuptools")}})
