"""Builds wavespec._wavespec with the project's CMake build, so that the module holds the same
library targets, compiled from the same sources with the same flags, as the tool.

python3 -m pip install --no-build-isolation .   (in a venv made with --system-site-packages)
WAVESPEC_PYTHON_BUILD_DIR chooses the CMake build directory (default build-python/).
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeExtension(Extension):
    def __init__(self, name: str):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        import pybind11

        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build_dir = Path(os.environ.get("WAVESPEC_PYTHON_BUILD_DIR", ROOT / "build-python"))
        subprocess.run(
            [
                "cmake", "-S", str(ROOT), "-B", str(build_dir),
                "-DCMAKE_BUILD_TYPE=Release",
                "-DWAVESPEC_PYTHON=ON",
                "-DWAVESPEC_TESTS=OFF",
                f"-DPython3_EXECUTABLE={sys.executable}",
                f"-Dpybind11_DIR={pybind11.get_cmake_dir()}",
            ],
            check=True,
        )
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(
            ["cmake", "--build", str(build_dir), "--target", "_wavespec", "-j", jobs], check=True
        )
        # The build writes the module into python/wavespec, where a developer imports it.
        built = ROOT / "python" / "wavespec" / target.name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    ext_modules=[CMakeExtension("wavespec._wavespec")],
    cmdclass={"build_ext": CMakeBuild},
    # setuptools' own staging stays out of build/, the tool's CMake build.
    options={"build": {"build_base": str(ROOT / "build-python" / "setuptools")}},
)
