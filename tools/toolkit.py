"""Shared by the media scripts: installs the Debian packages a script needs."""
import subprocess


def ensure_packages(packages):
    """apt-get installs those of `packages` that are missing (with sudo unless root)."""
    missing = [p for p in packages
               if "install ok installed" not in subprocess.run(["dpkg-query", "-W", "-f=${Status}", p],
                                                               capture_output=True, text=True).stdout]
    if missing:
        sudo = [] if subprocess.run(["id", "-u"], capture_output=True, text=True).stdout.strip() == "0" else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends"] + missing, check=True)
